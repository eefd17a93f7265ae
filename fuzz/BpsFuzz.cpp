// BPS patches, two ways, picked by bit 0 of the first byte:
//  0: the rest is a patch body (sizes, metadata, actions) between "BPS1" and
//     a footer made here (the CRC-32 of the source the patch is applied to,
//     and the patch's own), so the actions are reached. Applying it reads only
//     inside the patch and the source; a result has the size and CRC-32 the
//     patch names; a failure leaves no result. A patch that failed only its
//     target CRC-32 applies cleanly once it names the result's CRC-32.
//  1: the rest is two buffers (bytes 1..2 pick the split; bit 1 of the first
//     byte lays the second over a copy of the first, so they share runs). The
//     program's own maker makes a patch from one to the other, which applies
//     back exactly.

#include <algorithm>
#include <cstring>

#include "engine/BpsPatch.h"
#include "engine/PatchMaker.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Bytes;
using q64::fuzz::Require;

namespace {

void PutLittle32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes Framed(const std::uint8_t* body, std::size_t size, std::uint32_t sourceCrc, std::uint32_t targetCrc) {
    Bytes patch(bps::kSignatureSize + size + bps::kFooterSize);
    std::memcpy(patch.data(), bps::kSignature, bps::kSignatureSize);
    if (size != 0) std::memcpy(patch.data() + bps::kSignatureSize, body, size);
    std::uint8_t* footer = patch.data() + bps::kSignatureSize + size;
    PutLittle32(footer, sourceCrc);
    PutLittle32(footer + bps::kCrcSize, targetCrc);
    PutLittle32(footer + 2 * bps::kCrcSize, Crc32(patch.data(), patch.size() - bps::kCrcSize));
    return patch;
}

// Larger results are only parsed: allocating up to bps::kMaxSize for each
// input would slow the search to a crawl.
constexpr std::uint64_t kMaxFuzzTarget = 1u << 20;

// Runs `patch` over `source`; the outcome, with the properties every run keeps.
BpsOutcome Run(const Bytes& patch, const Bytes& source, Bytes& target) {
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    if (header.targetSize > kMaxFuzzTarget) return {BpsDefect::TooLarge, 0, 0};
    const BpsOutcome outcome = ApplyBpsToBuffer(header, patch.data(), source.data(), source.size(), target);
    if (outcome.defect == BpsDefect::None) {
        Require(target.size() == header.targetSize, "the result has the size the patch names");
        Require(Crc32(target.data(), target.size()) == header.targetCrc, "the result has the CRC-32 the patch names");
    } else {
        Require(target.empty(), "a failed patch leaves no result");
    }
    return outcome;
}

void ApplyBody(const std::uint8_t* data, std::size_t size) {
    static const Bytes source = fuzz::PatternBytes(fuzz::kBpsSourceSize);
    const std::uint32_t sourceCrc = Crc32(source.data(), source.size());
    Bytes target;
    const BpsOutcome outcome = Run(Framed(data, size, sourceCrc, 0), source, target);
    if (outcome.defect == BpsDefect::TargetCrc) {
        const BpsOutcome again = Run(Framed(data, size, sourceCrc, outcome.actualCrc), source, target);
        Require(again.defect == BpsDefect::None, "naming the result's CRC-32 makes the patch apply");
    }
}

void RoundTrip(std::uint8_t mode, const std::uint8_t* data, std::size_t size) {
    const std::size_t split = size < 2 ? 0 : (std::size_t{data[0]} << 8 | data[1]) % (size - 1);
    const std::uint8_t* rest = data + std::min<std::size_t>(size, 2);
    const std::size_t restSize = size - std::min<std::size_t>(size, 2);
    const Bytes first(rest, rest + std::min(split, restSize));
    const Bytes second(rest + first.size(), rest + restSize);
    Bytes source = first;
    Bytes target = second;
    if (mode & 2) {
        // The second buffer over the first, at an offset its own first byte picks.
        target = first;
        const std::size_t at = second.empty() || first.empty() ? 0 : second[0] * first.size() / 256;
        if (target.size() < at + second.size()) target.resize(at + second.size());
        std::copy(second.begin(), second.end(), target.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const Bytes patch = MakeBpsPatch(source.data(), source.size(), target.data(), target.size());
    Bytes result;
    const BpsOutcome outcome = Run(patch, source, result);
    Require(outcome.defect == BpsDefect::None, "a patch of the program's own applies");
    Require(result == target, "a patch of the program's own gives back the target");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1)
        RoundTrip(data[0], data + 1, size - 1);
    else
        ApplyBody(data + 1, size - 1);
    return 0;
}
