#include "engine/BpsDelta.h"

#include <algorithm>
#include <bit>
#include <deque>

#include "engine/BpsDeltaIndex.h"
#include "engine/BpsPatch.h"
#include "engine/PatchMaker.h"
#include "engine/Progress.h"

namespace q64 {

namespace {

using bpsdelta::KeyAt;
using bpsdelta::Load64;

constexpr std::size_t kStep = 2;         // every second position is indexed
constexpr std::size_t kShortKey = 6;     // matches from 6 bytes on are found...
constexpr std::size_t kLongKey = 12;     // ...and, among many short ones, the longer
constexpr std::size_t kShortDepth = 32;  // source positions tried per search, nearest the cursor
constexpr std::size_t kLongDepth = 16;
constexpr std::size_t kTargetWays = 16;  // recent target positions kept per key bucket
constexpr std::size_t kRecentSpan = 256 * 1024; // of a long copy, this much at its end is indexed
constexpr std::size_t kEnough = 4096;    // a match this long ends the search
constexpr long kGoodGain = 64;           // a cheap way on that saves this much needs no search
constexpr std::size_t kLazyBelow = 64;   // a match shorter than this is weighed against one a byte later
constexpr std::size_t kLineCheck = 8;    // bytes a cheap way must go on past a match to cut it
constexpr std::size_t kTakeBack = 4096;  // longer copies are never taken back
constexpr std::size_t kOpenWays = 4096;  // actions kept open to be taken back
constexpr std::size_t kBoundReach = 256; // bytes looked back to bound what a way can save
constexpr std::size_t kSparseAfter = 64; // literal bytes after which searches thin out...
constexpr std::size_t kSparseCycle = 16; // ...to kStep positions in this many

using ShortIndex = bpsdelta::SourceIndex<kShortKey, kStep>;
using LongIndex = bpsdelta::SourceIndex<kLongKey, kStep>;
using RecentIndex = bpsdelta::TargetIndex<kShortKey, kStep, kTargetWays>;

// How many bytes a[0..] and b[0..] have in common, at most `limit`.
std::size_t MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    while (n + 8 <= limit) {
        const std::uint64_t x = Load64(a + n) ^ Load64(b + n);
        if (x != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return n + static_cast<std::size_t>(std::countr_zero(x)) / 8;
            else
                return n + static_cast<std::size_t>(std::countl_zero(x)) / 8;
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// How many bytes just before a and before b are equal (a[-1] == b[-1], ...), at most `limit`.
std::size_t MatchBackwards(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
    std::size_t n = 0;
    while (n + 8 <= limit) {
        const std::uint64_t x = Load64(a - n - 8) ^ Load64(b - n - 8);
        if (x != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return n + static_cast<std::size_t>(std::countl_zero(x)) / 8;
            else
                return n + static_cast<std::size_t>(std::countr_zero(x)) / 8;
        }
        n += 8;
    }
    while (n < limit && *(a - n - 1) == *(b - n - 1)) ++n;
    return n;
}

// Bytes AppendBpsNumber writes for `value`.
std::size_t NumberSize(std::uint64_t value) {
    std::size_t size = 1;
    for (value >>= 7; value != 0; value = (value - 1) >> 7) ++size;
    return size;
}

std::size_t ActionSize(std::size_t length) { return NumberSize(std::uint64_t{length - 1} << 2); }

// A cursor's signed step as the patch writes it.
std::uint64_t StepWord(std::size_t to, std::size_t cursor) {
    return to >= cursor ? std::uint64_t{to - cursor} << 1 : std::uint64_t{cursor - to} << 1 | 1;
}

// Where the copy cursors stand, and the output position at which each got
// there: a copy going on from there reads as far past its cursor as the
// output has moved since (the same bytes changed, or a stretch skipped).
struct Cursors {
    std::size_t source = 0;
    std::size_t sourceAt = 0;
    std::size_t target = 0;
    std::size_t targetAt = 0;
};

// One action of the patch: target[start, start + length) read from the
// source in place, copied from `from`, or written literally (TargetRead).
struct Way {
    BpsAction action = BpsAction::TargetRead;
    std::size_t start = 0;
    std::size_t from = 0;
    std::size_t length = 0;
    std::size_t cost = 0; // its bytes in the patch
    Cursors before;       // the cursors it starts from
    std::size_t End() const { return start + length; }
};

// A way on from the current position, and what it replaces: it may reach back
// over the last actions where its bytes match there too, taking them back
// whole or cutting a literal short.
struct Choice {
    Way way;
    std::size_t takenBack = 0; // whole actions replaced
    std::size_t cut = 0;       // bytes cut from the literal before them
    long gain = 0;             // patch bytes saved against writing it all literally
};

// Writes the actions in one pass over the target: at each position the way on
// that saves most (a short one weighed against the best a byte later), or one
// literal byte. The last kOpenWays actions stay open, so that a long match
// found a little later can take back the short ones it covers (a moved block
// inside repeated data is told by its rarer bytes).
class DeltaWriter {
public:
    DeltaWriter(const std::uint8_t* source, std::size_t sourceSize, const std::uint8_t* target, std::size_t targetSize,
                std::vector<std::uint8_t>& patch)
        : source_(source), sourceSize_(sourceSize), target_(target), targetSize_(targetSize), patch_(patch),
          shortIndex_(source, sourceSize), longIndex_(source, sourceSize), recentIndex_(targetSize) {}

    // False, with the patch incomplete, when `reporter` was asked to stop.
    bool Run(ProgressReporter& reporter) {
        std::size_t at = 0;
        std::size_t reportAt = 0;
        while (at < targetSize_) {
            if (at >= reportAt) {
                if (!reporter.ReportFraction(at, targetSize_)) return false;
                reportAt = at + kPatchProgressStep;
            }
            Choice best;
            Continuations(best, at);
            if (best.gain < kGoodGain && !Sparse(at)) Search(best, at);
            if (best.gain > 0 && best.way.length < kLazyBelow && at + 1 < targetSize_) TryOneLater(best, at);
            if (best.gain > 0) {
                Take(best);
                at = best.way.End();
                // Of a long copy only the end is worth indexing: older entries fall out anyway.
                if (at - indexed_ > kRecentSpan) indexed_ = (at - kRecentSpan) / kStep * kStep;
            } else {
                AddLiteral(at);
                ++at;
            }
            IndexUpTo(at);
            if (open_.size() > kOpenWays) WriteOldest(kOpenWays / 2);
        }
        WriteOldest(open_.size());
        return true;
    }

private:
    // For a short match at `at`: the best way from the next byte, `at` written
    // literally, replaces it when that saves more even after the literal byte.
    void TryOneLater(Choice& best, std::size_t at) {
        AddLiteral(at);
        Choice later;
        Continuations(later, at + 1);
        if (later.gain < kGoodGain) Search(later, at + 1);
        if (later.gain > best.gain + 1) {
            best = later;
            return;
        }
        Way& literal = open_.back(); // AddLiteral undone
        if (--literal.length == 0)
            open_.pop_back();
        else
            literal.cost = ActionSize(literal.length) + literal.length;
    }

    // The ways that cost least: the source in place, either copy going on
    // from where it stopped or as far past that as the output has moved since,
    // and a run repeating the byte before.
    void Continuations(Choice& best, std::size_t at) {
        if (at < sourceSize_) Consider(best, BpsAction::SourceRead, at, at);
        for (const std::size_t from : {now_.source + (at - now_.sourceAt), now_.source})
            if (from < sourceSize_ && from != at) Consider(best, BpsAction::SourceCopy, at, from);
        for (const std::size_t from : {now_.target + (at - now_.targetAt), now_.target})
            if (from < at) Consider(best, BpsAction::TargetCopy, at, from);
        if (at > 0 && target_[at - 1] == target_[at]) Consider(best, BpsAction::TargetCopy, at, at - 1);
    }

    // Deep in a literal run (mostly data the images do not share) only kStep
    // neighbouring positions in every kSparseCycle are searched: a match found
    // there grows back over the positions skipped, and one of the neighbours
    // meets the source index's step.
    bool Sparse(std::size_t at) const {
        return !open_.empty() && open_.back().action == BpsAction::TargetRead && open_.back().length >= kSparseAfter &&
               at % kSparseCycle >= kStep;
    }

    // Target positions the writer has passed become copy sources for what follows.
    void IndexUpTo(std::size_t at) {
        const std::size_t end = std::min(at, targetSize_ < 8 ? 0 : targetSize_ - 7);
        for (; indexed_ < end; indexed_ += kStep) recentIndex_.Add(target_, indexed_);
    }

    // The matches the indexes know for the keys at `at`: recent ones in the
    // target, and in the source those nearest the source cursor, for the long
    // key and then for the short one.
    void Search(Choice& best, std::size_t at) {
        if (at + 8 > targetSize_) return;
        const std::uint64_t key = KeyAt<kShortKey>(target_ + at);
        const std::uint32_t* recent = recentIndex_.Entries(key);
        for (std::size_t n = 0; n < RecentIndex::kWays; ++n)
            if (recent[n] != 0) __builtin_prefetch(target_ + recent[n] - 1);
        for (std::size_t n = 0; n < RecentIndex::kWays; ++n) {
            const std::size_t from = recent[n] - std::size_t{1};
            if (recent[n] != 0 && KeyAt<kShortKey>(target_ + from) == key &&
                Consider(best, BpsAction::TargetCopy, at, from) >= kEnough)
                return;
        }
        if (at + LongIndex::kReads <= targetSize_ &&
            SearchSource(best, at, longIndex_, KeyAt<kLongKey>(target_ + at), kLongDepth))
            return;
        SearchSource(best, at, shortIndex_, key, kShortDepth);
    }

    // Tries the positions `index` has for `key`: the `depth` nearest the
    // source cursor, and the first (the most room after it, for runs). True
    // when a match long enough to end the search was found.
    template <typename Index>
    bool SearchSource(Choice& best, std::size_t at, const Index& index, std::uint64_t key, std::size_t depth) {
        const auto [first, last] = index.Positions(key);
        const std::uint32_t* low = first;
        const std::uint32_t* high = last;
        if (static_cast<std::size_t>(last - first) > depth) {
            const std::uint32_t* near = std::lower_bound(first, last, static_cast<std::uint32_t>(now_.source));
            const auto span = static_cast<std::ptrdiff_t>(depth);
            high = std::min(last, near - std::min(near - first, span / 2) + span);
            low = high - span;
            if (low != first && TrySource(best, at, Index::kKeyBytes, *first)) return true;
        }
        for (const std::uint32_t* p = low; p != high; ++p) __builtin_prefetch(source_ + *p);
        for (const std::uint32_t* p = low; p != high; ++p)
            if (TrySource(best, at, Index::kKeyBytes, *p)) return true;
        return false;
    }

    bool TrySource(Choice& best, std::size_t at, std::size_t keyBytes, std::size_t from) {
        if (MatchLength(source_ + from, target_ + at, std::min({keyBytes, sourceSize_ - from, targetSize_ - at})) <
            keyBytes)
            return false; // another key in the same bucket
        return Consider(best, from == at ? BpsAction::SourceRead : BpsAction::SourceCopy, at, from) >= kEnough;
    }

    // Weighs reading or copying from `from` at `at`, grown both ways, and keeps
    // it in `best` when it saves more. Returns the length found forwards.
    std::size_t Consider(Choice& best, BpsAction action, std::size_t at, std::size_t from) {
        const bool inSource = action != BpsAction::TargetCopy;
        const std::uint8_t* base = inSource ? source_ : target_;
        const std::size_t limit = inSource ? std::min(sourceSize_ - from, targetSize_ - at) : targetSize_ - at;
        const std::size_t found = MatchLength(base + from, target_ + at, limit);
        if (found == 0) return 0;
        // A way saves at most the bytes it covers: most candidates cannot beat the best.
        const std::size_t reach = std::min({from, at - (open_.empty() ? at : open_.front().start), kBoundReach});
        const std::size_t covers = found + MatchBackwards(base + from, target_ + at, reach);
        if (covers < found + kBoundReach && static_cast<long>(covers - ActionSize(covers)) <= best.gain) return found;
        const std::size_t forward = Trimmed(action, at, from, found);
        if (forward == 0) return found;

        Choice c;
        long saved = static_cast<long>(forward);
        std::size_t back = 0;
        Cursors before = now_;
        for (std::size_t i = open_.size(); i-- > 0;) { // back over the open actions, newest first
            const Way& w = open_[i];
            if (w.action != BpsAction::TargetRead && w.length > kTakeBack) break;
            const std::size_t same = MatchBackwards(base + from - back, target_ + at - back, std::min(w.length, from - back));
            if (same == w.length) {
                back += same;
                saved += static_cast<long>(w.cost);
                before = w.before;
                ++c.takenBack;
                continue;
            }
            if (w.action == BpsAction::TargetRead) {
                back += same;
                saved += static_cast<long>(same);
                c.cut = same;
            }
            break;
        }
        const std::size_t start = at - back;
        if (action == BpsAction::SourceCopy && from - back == start) action = BpsAction::SourceRead;
        const std::size_t length = forward + back;
        std::size_t cost = ActionSize(length);
        if (action == BpsAction::SourceCopy) cost += NumberSize(StepWord(from - back, before.source));
        if (action == BpsAction::TargetCopy) cost += NumberSize(StepWord(from - back, before.target));
        // Cutting into a literal leaves its header to be paid for alone.
        const bool afterLiteral = open_.size() > c.takenBack &&
                                  open_[open_.size() - 1 - c.takenBack].action == BpsAction::TargetRead;
        c.gain = saved - static_cast<long>(cost) - (afterLiteral ? 1 : 0);
        if (c.gain > best.gain && !CheaperLater(action, start + length, length, c.gain)) {
            c.way = Way{action, start, from - back, length, cost, before};
            best = c;
        }
        return found;
    }

    // A match's length without its tail where one of the cheap ways (the
    // source in place, either copy going on) covers that tail and goes on past
    // it: that way follows the match anyway, at the same cost.
    std::size_t Trimmed(BpsAction action, std::size_t start, std::size_t from, std::size_t length) const {
        const std::size_t end = start + length;
        if (end >= targetSize_) return length;
        std::size_t tail = 0;
        const auto line = [&](const std::uint8_t* base, std::size_t size, std::size_t at) {
            if (at >= size || base[at] != target_[end]) return;
            const std::size_t check = std::min({size - at, targetSize_ - end, kLineCheck});
            if (check == kLineCheck && MatchLength(base + at, target_ + end, check) < check) return;
            tail = std::max(tail, MatchBackwards(base + at, target_ + end, std::min(length, at)));
        };
        if (action != BpsAction::SourceRead) line(source_, sourceSize_, end);
        const std::size_t sourceLine = now_.source + (end - now_.sourceAt);
        if (action != BpsAction::SourceCopy || from + length != sourceLine) line(source_, sourceSize_, sourceLine);
        const std::size_t targetLine = now_.target + (end - now_.targetAt);
        if (targetLine < end && (action != BpsAction::TargetCopy || from + length != targetLine))
            line(target_, end, targetLine);
        return length - tail;
    }

    // True when one of the cheap ways covers the end of a match ending at `end`
    // and there alone saves at least `gain`: writing literally up to where it
    // starts is no worse than the match.
    bool CheaperLater(BpsAction action, std::size_t end, std::size_t length, long gain) const {
        const auto better = [&](const std::uint8_t* base, std::size_t at, std::size_t stepCost) {
            const std::size_t same = MatchBackwards(base + at, target_ + end, std::min(length, at));
            if (same == 0 || same == length) return false;
            return static_cast<long>(same) - static_cast<long>(ActionSize(same) + stepCost + 1) >= gain;
        };
        if (action != BpsAction::SourceRead && end <= sourceSize_ && better(source_, end, 0)) return true;
        const std::size_t sourceLine = now_.source + (end - now_.sourceAt);
        if (sourceLine <= sourceSize_ && sourceLine != end && better(source_, sourceLine, 1)) return true;
        const std::size_t targetLine = now_.target + (end - now_.targetAt);
        return targetLine < end && better(target_, targetLine, 1);
    }

    void Take(const Choice& c) {
        for (std::size_t n = 0; n < c.takenBack; ++n) {
            now_ = open_.back().before;
            open_.pop_back();
        }
        if (c.cut > 0) {
            Way& literal = open_.back();
            literal.length -= c.cut;
            literal.cost = ActionSize(literal.length) + literal.length;
        }
        Way way = c.way;
        way.before = now_;
        open_.push_back(way);
        if (way.action == BpsAction::SourceCopy) {
            now_.source = way.from + way.length;
            now_.sourceAt = way.End();
        } else if (way.action == BpsAction::TargetCopy) {
            now_.target = way.from + way.length;
            now_.targetAt = way.End();
        }
    }

    void AddLiteral(std::size_t at) {
        if (!open_.empty() && open_.back().action == BpsAction::TargetRead && open_.back().End() == at) {
            Way& literal = open_.back();
            ++literal.length;
            literal.cost = ActionSize(literal.length) + literal.length;
            return;
        }
        open_.push_back(Way{BpsAction::TargetRead, at, at, 1, 2, now_});
    }

    void WriteOldest(std::size_t count) {
        for (; count > 0 && !open_.empty(); --count) {
            const Way& w = open_.front();
            AppendBpsNumber(patch_, std::uint64_t{w.length - 1} << 2 | static_cast<unsigned>(w.action));
            if (w.action == BpsAction::TargetRead) patch_.insert(patch_.end(), target_ + w.start, target_ + w.End());
            if (w.action == BpsAction::SourceCopy) AppendBpsNumber(patch_, StepWord(w.from, w.before.source));
            if (w.action == BpsAction::TargetCopy) AppendBpsNumber(patch_, StepWord(w.from, w.before.target));
            open_.pop_front();
        }
    }

    const std::uint8_t* source_;
    std::size_t sourceSize_;
    const std::uint8_t* target_;
    std::size_t targetSize_;
    std::vector<std::uint8_t>& patch_;
    ShortIndex shortIndex_;
    LongIndex longIndex_;
    RecentIndex recentIndex_;
    std::size_t indexed_ = 0; // target positions below this are in recentIndex_
    std::deque<Way> open_;    // actions not yet in the patch, oldest first
    Cursors now_;             // the cursors after them
};

// True when MakeBpsPatch's patch would have at least `size` bytes: it writes
// every changed byte literally, except those repeating the byte before (in a
// run it copies them).
bool LinearAtLeast(const std::uint8_t* source, std::size_t sourceSize, const std::uint8_t* target,
                   std::size_t targetSize, std::size_t size) {
    std::size_t literal = 0;
    for (std::size_t i = 0; i < targetSize && literal < size; ++i)
        if ((i >= sourceSize || source[i] != target[i]) && (i == 0 || target[i] != target[i - 1])) ++literal;
    return literal >= size;
}

void PutLittle32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

std::vector<std::uint8_t> MakeBpsDeltaPatch(const std::uint8_t* source, std::size_t sourceSize,
                                            const std::uint8_t* target, std::size_t targetSize,
                                            const ProgressFn& progress) {
    std::vector<std::uint8_t> patch(bps::kSignature, bps::kSignature + bps::kSignatureSize);
    AppendBpsNumber(patch, sourceSize);
    AppendBpsNumber(patch, targetSize);
    AppendBpsNumber(patch, 0); // no metadata
    ProgressReporter reporter(progress);
    if (!DeltaWriter(source, sourceSize, target, targetSize, patch).Run(reporter)) return {};
    PutLittle32(patch, Crc32(source, sourceSize));
    PutLittle32(patch, Crc32(target, targetSize));
    PutLittle32(patch, Crc32(patch.data(), patch.size()));
    // The choices above look only a little ahead; where that misleads them
    // (rarely, by a few bytes) the one-pass patch is the smaller.
    if (!LinearAtLeast(source, sourceSize, target, targetSize, patch.size())) {
        std::vector<std::uint8_t> linear = MakeBpsPatch(source, sourceSize, target, targetSize);
        if (linear.size() < patch.size()) patch = std::move(linear);
    }
    if (!reporter.Report(100)) return {};
    return patch;
}

} // namespace q64
