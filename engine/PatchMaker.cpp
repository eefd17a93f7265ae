#include "engine/PatchMaker.h"

#include <algorithm>
#include <cstring>

#include "engine/BpsPatch.h"
#include "engine/IpsPatch.h"
#include "engine/Progress.h"

namespace q64 {

namespace {

// ---- IPS ----------------------------------------------------------------------

// A record costs 5 bytes of offset and length; a run record 8 in all.
constexpr std::size_t kIpsRecordHeader = ips::kOffsetSize + ips::kLengthSize;
constexpr std::size_t kIpsRunRecord = kIpsRecordHeader + ips::kRunHeaderSize;
// Equal bytes between two changes are written through when that is cheaper
// than starting a new record.
constexpr std::size_t kIpsMaxGap = kIpsRecordHeader - 1;

class IpsWriter {
public:
    IpsWriter(const std::uint8_t* modified, std::vector<std::uint8_t>& patch) : modified_(modified), patch_(patch) {}

    // Data records for modified[offset, offset + length).
    void Data(std::size_t offset, std::size_t length) {
        while (length > 0) {
            if (offset == ips::kEofOffset) { // would read as the end marker
                --offset;
                ++length;
            }
            const std::size_t n = std::min(length, ips::kMaxRecordLength);
            Header(offset, n);
            patch_.insert(patch_.end(), modified_ + offset, modified_ + offset + n);
            offset += n;
            length -= n;
        }
    }

    // Run records writing `value` over [offset, offset + length).
    void Run(std::size_t offset, std::size_t length, std::uint8_t value) {
        while (length > 0) {
            if (offset == ips::kEofOffset) {
                if (modified_[offset - 1] != value) { // the byte before is not part of the run
                    Data(offset, 1);
                    ++offset;
                    --length;
                    continue;
                }
                --offset;
                ++length;
            }
            const std::size_t n = std::min(length, ips::kMaxRecordLength);
            if (n <= kIpsRunRecord - kIpsRecordHeader) {
                Data(offset, n); // the tail of a split run: its bytes are cheaper
            } else {
                Header(offset, 0);
                Put(n, ips::kLengthSize);
                patch_.push_back(value);
            }
            offset += n;
            length -= n;
        }
    }

    // One stretch that differs (gaps included): data records with run records where they pay.
    void Span(std::size_t start, std::size_t end) {
        std::size_t pending = start; // first byte not yet written
        std::size_t at = start;
        while (at < end) {
            const std::uint8_t value = modified_[at];
            std::size_t run = 1;
            while (at + run < end && modified_[at + run] == value) ++run;
            // A run record saves its bytes but costs 8, plus 5 for each data
            // record it splits off.
            const std::size_t splits = (at != pending ? 1 : 0) + (at + run != end ? 1 : 0);
            if (run > kIpsRunRecord - kIpsRecordHeader + splits * kIpsRecordHeader) {
                Data(pending, at - pending);
                Run(at, run, value);
                pending = at + run;
            }
            at += run;
        }
        Data(pending, end - pending);
    }

    void Put(std::size_t value, std::size_t width) {
        for (std::size_t i = width; i-- > 0;) patch_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

private:
    void Header(std::size_t offset, std::size_t length) {
        Put(offset, ips::kOffsetSize);
        Put(length, ips::kLengthSize);
    }

    const std::uint8_t* modified_;
    std::vector<std::uint8_t>& patch_;
};

// ---- BPS ----------------------------------------------------------------------

// Equal bytes at the same position shorter than this stay in the TargetRead
// around them (a SourceRead and the TargetRead after it cost 2 bytes or more).
constexpr std::size_t kBpsMinSourceRead = 4;
// A run of one value this long becomes TargetRead of its first byte and
// TargetCopy of the rest from one byte back.
constexpr std::size_t kBpsMinRun = 8;

class BpsWriter {
public:
    BpsWriter(const std::uint8_t* target, std::vector<std::uint8_t>& patch) : target_(target), patch_(patch) {}

    void Action(BpsAction action, std::size_t length) {
        AppendBpsNumber(patch_, (std::uint64_t{length} - 1) << 2 | static_cast<unsigned>(action));
    }

    void TargetRead(std::size_t from, std::size_t to) {
        if (from == to) return;
        Action(BpsAction::TargetRead, to - from);
        patch_.insert(patch_.end(), target_ + from, target_ + to);
    }

    // target[from, to) where no source bytes match: literal bytes, with runs copied.
    void Literal(std::size_t from, std::size_t to) {
        std::size_t pending = from;
        std::size_t at = from;
        while (at < to) {
            std::size_t run = 1;
            while (at + run < to && target_[at + run] == target_[at]) ++run;
            if (run >= kBpsMinRun) {
                TargetRead(pending, at + 1);
                Action(BpsAction::TargetCopy, run - 1);
                // The cursor steps from where it stopped to the run's first byte.
                const std::uint64_t step =
                    at >= targetCursor_ ? std::uint64_t{at - targetCursor_} << 1 : std::uint64_t{targetCursor_ - at} << 1 | 1;
                AppendBpsNumber(patch_, step);
                targetCursor_ = at + run - 1;
                pending = at + run;
            }
            at += run;
        }
        TargetRead(pending, to);
    }

private:
    const std::uint8_t* target_;
    std::vector<std::uint8_t>& patch_;
    std::size_t targetCursor_ = 0;
};

void PutLittle32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

bool MakeIpsPatch(const std::uint8_t* original, std::size_t originalSize, const std::uint8_t* modified,
                  std::size_t modifiedSize, std::vector<std::uint8_t>& patch) {
    patch.clear();
    if (originalSize > ips::kMaxMakeSize || modifiedSize > ips::kMaxMakeSize) return false;
    patch.assign(ips::kSignature, ips::kSignature + ips::kSignatureSize);
    IpsWriter writer(modified, patch);
    // Bytes past the original's end count as changed.
    const auto differs = [&](std::size_t i) { return i >= originalSize || original[i] != modified[i]; };
    std::size_t at = 0;
    while (at < modifiedSize) {
        if (!differs(at)) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        std::size_t end = ++at;
        while (at < modifiedSize) {
            if (differs(at)) {
                end = ++at;
                continue;
            }
            std::size_t gap = at;
            while (gap < modifiedSize && gap - at <= kIpsMaxGap && !differs(gap)) ++gap;
            if (gap < modifiedSize && gap - at <= kIpsMaxGap && differs(gap)) {
                at = gap;
                continue;
            }
            break;
        }
        writer.Span(start, end);
        at = end;
    }
    writer.Put(ips::kEofOffset, ips::kOffsetSize);
    if (modifiedSize < originalSize) writer.Put(modifiedSize, ips::kSizeRecordSize);
    return true;
}

std::vector<std::uint8_t> MakeBpsPatch(const std::uint8_t* source, std::size_t sourceSize, const std::uint8_t* target,
                                       std::size_t targetSize, const ProgressFn& progress) {
    std::vector<std::uint8_t> patch(bps::kSignature, bps::kSignature + bps::kSignatureSize);
    AppendBpsNumber(patch, sourceSize);
    AppendBpsNumber(patch, targetSize);
    AppendBpsNumber(patch, 0); // no metadata
    BpsWriter writer(target, patch);
    const std::size_t common = std::min(sourceSize, targetSize);
    std::size_t literal = 0; // first byte not yet written
    std::size_t at = 0;
    ProgressReporter reporter(progress);
    std::size_t reportAt = 0;
    while (at < targetSize) {
        if (at >= reportAt) {
            if (!reporter.ReportFraction(at, targetSize)) return {};
            reportAt = at + kPatchProgressStep;
        }
        std::size_t same = 0;
        while (at + same < common && source[at + same] == target[at + same]) ++same;
        if (same >= kBpsMinSourceRead) {
            writer.Literal(literal, at);
            writer.Action(BpsAction::SourceRead, same);
            at += same;
            literal = at;
        } else {
            at += std::max<std::size_t>(same, 1);
        }
    }
    writer.Literal(literal, targetSize);
    PutLittle32(patch, Crc32(source, sourceSize));
    PutLittle32(patch, Crc32(target, targetSize));
    PutLittle32(patch, Crc32(patch.data(), patch.size()));
    if (!reporter.Report(100)) return {};
    return patch;
}

} // namespace q64
