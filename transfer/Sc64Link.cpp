#include "transfer/Sc64Link.h"

#include <algorithm>
#include <cstring>

namespace q64 {

namespace {
constexpr std::size_t kDropPiece = 4096;
} // namespace

std::uint32_t BigEndian32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

void PutBigEndian32(std::uint32_t value, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

void EncodeCommand(std::uint8_t id, std::uint32_t arg0, std::uint32_t arg1, std::uint8_t* out) {
    out[0] = 'C';
    out[1] = 'M';
    out[2] = 'D';
    out[3] = id;
    PutBigEndian32(arg0, out + 4);
    PutBigEndian32(arg1, out + 8);
}

bool Sc64Link::Reset() {
    side_.clear();
    sideDone_ = 0;
    return stream_.ResetCommunication();
}

LinkResult Sc64Link::Unclog() {
    if (sideDone_ == side_.size()) {
        side_.clear();
        sideDone_ = 0;
    }
    if (side_.size() >= sc64::kSideBufferLimit) return LinkResult::Garbled;
    std::uint8_t piece[kDropPiece];
    std::size_t got = 0;
    if (stream_.Read(piece, sizeof piece, 0, got) == StreamResult::Failed) return LinkResult::Failed;
    received_ += got;
    side_.insert(side_.end(), piece, piece + got);
    return LinkResult::Ok;
}

LinkResult Sc64Link::SendAll(const std::uint8_t* bytes, std::size_t count) {
    int idleMs = 0;
    while (count != 0) {
        if (keepGoing_ && !keepGoing_()) return LinkResult::Cancelled;
        std::size_t written = 0;
        switch (stream_.Write(bytes, count, waits_.sliceMs, written)) {
        case StreamResult::Ok: break;
        case StreamResult::TimedOut: break;
        case StreamResult::Failed: return LinkResult::Failed;
        }
        if (written == 0) {
            const std::size_t before = side_.size() - sideDone_;
            if (const LinkResult r = Unclog(); r != LinkResult::Ok) return r;
            if (side_.size() - sideDone_ != before) {
                idleMs = 0; // the cart is alive: it was sending
                continue;
            }
            idleMs += waits_.sliceMs;
            if (idleMs >= answerMs_) return LinkResult::NoAnswer;
            continue;
        }
        idleMs = 0;
        sent_ += written;
        bytes += written;
        count -= written;
    }
    return LinkResult::Ok;
}

LinkResult Sc64Link::ReadExact(std::uint8_t* bytes, std::size_t count, bool started) {
    if (sideDone_ < side_.size()) {
        const std::size_t n = std::min(count, side_.size() - sideDone_);
        std::memcpy(bytes, side_.data() + sideDone_, n);
        sideDone_ += n;
        bytes += n;
        count -= n;
        started = started || n != 0;
    }
    int idleMs = 0;
    while (count != 0) {
        if (keepGoing_ && !keepGoing_()) return LinkResult::Cancelled;
        std::size_t got = 0;
        switch (stream_.Read(bytes, count, waits_.sliceMs, got)) {
        case StreamResult::Ok: break;
        case StreamResult::TimedOut: break;
        case StreamResult::Failed: return LinkResult::Failed;
        }
        if (got == 0) {
            idleMs += waits_.sliceMs;
            if (idleMs >= answerMs_) return started ? LinkResult::Cut : LinkResult::NoAnswer;
            continue;
        }
        idleMs = 0;
        started = true;
        received_ += got;
        bytes += got;
        count -= got;
    }
    return LinkResult::Ok;
}

LinkResult Sc64Link::Drop(std::uint32_t count) {
    std::uint8_t scratch[kDropPiece];
    while (count != 0) {
        const std::size_t piece = std::min<std::size_t>(count, sizeof scratch);
        if (const LinkResult r = ReadExact(scratch, piece, true); r != LinkResult::Ok) return r;
        count -= static_cast<std::uint32_t>(piece);
    }
    return LinkResult::Ok;
}

LinkResult Sc64Link::AwaitAnswer(std::uint8_t id, std::uint32_t& length) {
    for (;;) {
        std::uint8_t head[sc64::kAnswerHeader];
        if (const LinkResult r = ReadExact(head, sizeof head, false); r != LinkResult::Ok) return r;
        length = BigEndian32(head + 4);
        if (std::memcmp(head, "PKT", 3) == 0) {
            if (const LinkResult r = Drop(length); r != LinkResult::Ok) return r == LinkResult::NoAnswer ? LinkResult::Cut : r;
            continue;
        }
        const bool done = std::memcmp(head, "CMP", 3) == 0;
        const bool refused = std::memcmp(head, "ERR", 3) == 0;
        if ((!done && !refused) || head[3] != id) return LinkResult::Garbled;
        if (done) return LinkResult::Ok;
        if (length > sc64::kSmallAnswerLimit) return LinkResult::Garbled;
        const LinkResult dropped = Drop(length);
        return dropped == LinkResult::Ok ? LinkResult::Refused : dropped;
    }
}

LinkResult Sc64Link::Command(std::uint8_t id, std::uint32_t arg0, std::uint32_t arg1,
                             std::vector<std::uint8_t>& answer) {
    answer.clear();
    std::uint8_t head[sc64::kCommandHeader];
    EncodeCommand(id, arg0, arg1, head);
    if (const LinkResult r = SendAll(head, sizeof head); r != LinkResult::Ok) return r;
    const bool flash = id == sc64::kFlashWaitBusy || id == sc64::kFlashEraseBlock;
    answerMs_ = flash ? std::max(waits_.flashMs, waits_.answerMs) : waits_.answerMs;
    std::uint32_t length = 0;
    const LinkResult r = AwaitAnswer(id, length);
    answerMs_ = waits_.answerMs;
    if (r != LinkResult::Ok) return r;
    if (length > sc64::kSmallAnswerLimit) return LinkResult::Garbled;
    answer.resize(length);
    return ReadExact(answer.data(), length, true);
}

LinkResult Sc64Link::WriteMemory(std::uint32_t address, std::uint32_t length, const Source& source, std::size_t piece,
                                 const Moved& moved) {
    std::vector<std::uint8_t> buffer(sc64::kCommandHeader + piece);
    EncodeCommand(sc64::kMemoryWrite, address, length, buffer.data());
    // The header goes out with the first piece of data: one write, not two.
    std::size_t filled = sc64::kCommandHeader;
    std::uint64_t done = 0;
    while (done < length || filled != 0) {
        const std::size_t want = std::min<std::uint64_t>(piece, length - done);
        if (want != 0) {
            const long got = source(buffer.data() + filled, want);
            if (got != static_cast<long>(want)) return LinkResult::Garbled;
        }
        if (const LinkResult r = SendAll(buffer.data(), filled + want); r != LinkResult::Ok) return r;
        done += want;
        filled = 0;
        if (moved && !moved(done)) return LinkResult::Cancelled;
        if (want == 0) break;
    }
    std::uint32_t answerLength = 0;
    if (const LinkResult r = AwaitAnswer(sc64::kMemoryWrite, answerLength); r != LinkResult::Ok) return r;
    if (answerLength > sc64::kSmallAnswerLimit) return LinkResult::Garbled;
    return Drop(answerLength);
}

LinkResult Sc64Link::ReadMemory(std::uint32_t address, std::uint32_t length, const Sink& sink, const Moved& moved) {
    std::uint8_t head[sc64::kCommandHeader];
    EncodeCommand(sc64::kMemoryRead, address, length, head);
    if (const LinkResult r = SendAll(head, sizeof head); r != LinkResult::Ok) return r;
    std::uint32_t answerLength = 0;
    if (const LinkResult r = AwaitAnswer(sc64::kMemoryRead, answerLength); r != LinkResult::Ok) return r;
    if (answerLength != length) return LinkResult::Garbled;
    std::vector<std::uint8_t> buffer(std::min<std::uint32_t>(length, 65536));
    std::uint64_t done = 0;
    while (done < length) {
        const std::size_t want = std::min<std::uint64_t>(buffer.size(), length - done);
        if (const LinkResult r = ReadExact(buffer.data(), want, true); r != LinkResult::Ok) return r;
        if (!sink(buffer.data(), want)) return LinkResult::Failed;
        done += want;
        if (moved && !moved(done)) return LinkResult::Cancelled;
    }
    return LinkResult::Ok;
}

} // namespace q64
