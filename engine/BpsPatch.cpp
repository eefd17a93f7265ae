#include "engine/BpsPatch.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <zlib.h>

namespace q64 {

namespace {

std::uint32_t Little32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// Moves a cursor by the signed step read at `at`; false when it would leave [0, limit].
bool Step(const std::uint8_t* patch, std::size_t end, std::size_t& at, std::uint64_t& cursor, std::uint64_t limit) {
    std::uint64_t word = 0;
    if (!ReadBpsNumber(patch, end, at, word)) return false;
    const std::uint64_t distance = word >> 1;
    if (word & 1) {
        if (distance > cursor) return false;
        cursor -= distance;
    } else {
        if (distance > limit - std::min(cursor, limit)) return false;
        cursor += distance;
    }
    return cursor <= limit;
}

} // namespace

bool ReadBpsNumber(const std::uint8_t* bytes, std::size_t end, std::size_t& at, std::uint64_t& value) {
    std::uint64_t data = 0;
    std::uint64_t shift = 1;
    std::size_t p = at;
    while (p < end) {
        const std::uint64_t x = bytes[p++];
        std::uint64_t part = 0;
        if (__builtin_mul_overflow(x & 0x7F, shift, &part) || __builtin_add_overflow(data, part, &data)) return false;
        if (x & 0x80) {
            at = p;
            value = data;
            return true;
        }
        if (shift > std::numeric_limits<std::uint64_t>::max() >> 7) return false;
        shift <<= 7;
        if (__builtin_add_overflow(data, shift, &data)) return false;
    }
    return false;
}

void AppendBpsNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
    for (;;) {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out.push_back(static_cast<std::uint8_t>(0x80 | low));
            return;
        }
        out.push_back(low);
        --value;
    }
}

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths as uInt: feed large buffers in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    while (size > 0) {
        const std::size_t n = std::min(size, kPiece);
        crc = crc32(crc, bytes, static_cast<uInt>(n));
        bytes += n;
        size -= n;
    }
    return static_cast<std::uint32_t>(crc);
}

BpsHeader ParseBpsPatch(const std::uint8_t* patch, std::size_t size) {
    BpsHeader h;
    if (size < bps::kSignatureSize || std::memcmp(patch, bps::kSignature, bps::kSignatureSize) != 0) {
        h.defect = BpsDefect::NotPatch;
        return h;
    }
    // Three sizes of at least one byte each, then the footer.
    if (size < bps::kSignatureSize + 3 + bps::kFooterSize) {
        h.defect = BpsDefect::CutShort;
        return h;
    }
    const std::size_t end = size - bps::kFooterSize;
    if (Crc32(patch, size - bps::kCrcSize) != Little32(patch + size - bps::kCrcSize)) {
        h.defect = BpsDefect::PatchCrc;
        return h;
    }
    h.sourceCrc = Little32(patch + end);
    h.targetCrc = Little32(patch + end + bps::kCrcSize);
    std::size_t at = bps::kSignatureSize;
    std::uint64_t metadataSize = 0;
    if (!ReadBpsNumber(patch, end, at, h.sourceSize) || !ReadBpsNumber(patch, end, at, h.targetSize) ||
        !ReadBpsNumber(patch, end, at, metadataSize) || metadataSize > end - at) {
        h.defect = BpsDefect::BadHeader;
        return h;
    }
    if (h.sourceSize > bps::kMaxSize || h.targetSize > bps::kMaxSize) {
        h.defect = BpsDefect::TooLarge;
        return h;
    }
    h.metadataAt = at;
    h.metadataSize = static_cast<std::size_t>(metadataSize);
    h.actionsAt = at + h.metadataSize;
    h.actionsEnd = end;
    return h;
}

BpsOutcome ApplyBpsToBuffer(const BpsHeader& header, const std::uint8_t* patch, const std::uint8_t* source,
                            std::size_t sourceSize, std::vector<std::uint8_t>& target) {
    BpsOutcome outcome;
    target.clear();
    if (header.defect != BpsDefect::None) {
        outcome.defect = header.defect;
        return outcome;
    }
    const std::uint32_t sourceCrc = Crc32(source, sourceSize);
    if (sourceSize != header.sourceSize || sourceCrc != header.sourceCrc) {
        outcome.defect = BpsDefect::SourceMismatch;
        outcome.actualCrc = sourceCrc;
        return outcome;
    }
    try {
        target.resize(static_cast<std::size_t>(header.targetSize));
    } catch (const std::bad_alloc&) {
        outcome.defect = BpsDefect::TooLarge;
        return outcome;
    }
    const std::uint64_t targetSize = header.targetSize;
    const std::size_t end = header.actionsEnd;
    std::size_t at = header.actionsAt;
    std::uint64_t out = 0;
    std::uint64_t sourceCursor = 0;
    std::uint64_t targetCursor = 0;
    std::uint8_t* const into = target.data();
    while (at < end) {
        const std::size_t actionAt = at;
        auto bad = [&] {
            target.clear();
            outcome.defect = BpsDefect::BadAction;
            outcome.defectAt = actionAt;
            return outcome;
        };
        std::uint64_t word = 0;
        if (!ReadBpsNumber(patch, end, at, word)) return bad();
        const std::uint64_t length = (word >> 2) + 1;
        if (length > targetSize - out) return bad();
        const auto n = static_cast<std::size_t>(length);
        switch (static_cast<BpsAction>(word & 3)) {
        case BpsAction::SourceRead:
            if (out + length > sourceSize) return bad();
            std::memcpy(into + out, source + out, n);
            break;
        case BpsAction::TargetRead:
            if (length > end - at) return bad();
            std::memcpy(into + out, patch + at, n);
            at += n;
            break;
        case BpsAction::SourceCopy:
            if (!Step(patch, end, at, sourceCursor, sourceSize) || length > sourceSize - sourceCursor) return bad();
            std::memcpy(into + out, source + sourceCursor, n);
            sourceCursor += length;
            break;
        case BpsAction::TargetCopy: {
            if (!Step(patch, end, at, targetCursor, out) || targetCursor >= out) return bad();
            // Byte by byte in effect: copy in pieces no longer than the distance
            // between cursor and output, so an overlap repeats the pattern.
            const std::uint64_t distance = out - targetCursor;
            for (std::uint64_t done = 0; done < length;) {
                const auto piece = static_cast<std::size_t>(std::min(distance, length - done));
                std::memcpy(into + out + done, into + targetCursor + done, piece);
                done += piece;
            }
            targetCursor += length;
            break;
        }
        }
        out += length;
    }
    if (out != targetSize) {
        target.clear();
        outcome.defect = BpsDefect::ShortTarget;
        outcome.defectAt = end;
        return outcome;
    }
    const std::uint32_t targetCrc = Crc32(target.data(), target.size());
    if (targetCrc != header.targetCrc) {
        target.clear();
        outcome.defect = BpsDefect::TargetCrc;
        outcome.actualCrc = targetCrc;
    }
    return outcome;
}

} // namespace q64
