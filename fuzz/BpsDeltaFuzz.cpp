// Delta BPS making: the input describes a source and a target built from it,
// so that the target shares stretches with the source and with itself:
//   2 bytes   source length N (little-endian, cut to what the input holds)
//   N bytes   the source
//   then      pieces of 4 bytes: kind, 16-bit place (little-endian), length - 1
//             0: source bytes from the place, 1: target bytes already made
//             from the place (overlapping repeats them), 2: the next `length`
//             input bytes, 3: a run of the place's low byte
// The patch MakeBpsDeltaPatch makes must read back cleanly, turn the source
// into the target exactly, and be no larger than MakeBpsPatch's.

#include <algorithm>

#include "engine/BpsDelta.h"
#include "engine/BpsPatch.h"
#include "engine/PatchMaker.h"
#include "fuzz/FuzzSupport.h"

using namespace q64;
using q64::fuzz::Require;

namespace {

constexpr std::size_t kMaxTarget = 1 << 20;

fuzz::Bytes BuildTarget(const fuzz::Bytes& source, const std::uint8_t* script, std::size_t size) {
    fuzz::Bytes target;
    std::size_t at = 0;
    while (at + 4 <= size && target.size() < kMaxTarget) {
        const unsigned kind = script[at] & 3;
        const std::size_t place = script[at + 1] | std::size_t{script[at + 2]} << 8;
        const std::size_t length = std::size_t{script[at + 3]} + 1;
        at += 4;
        switch (kind) {
        case 0:
            if (!source.empty())
                for (std::size_t i = 0, from = place % source.size(); i < length && from + i < source.size(); ++i)
                    target.push_back(source[from + i]);
            break;
        case 1:
            if (!target.empty())
                for (std::size_t i = 0, from = place % target.size(); i < length; ++i) {
                    const std::uint8_t byte = target[from + i];
                    target.push_back(byte);
                }
            break;
        case 2: {
            const std::size_t n = std::min(length, size - at);
            target.insert(target.end(), script + at, script + at + n);
            at += n;
            break;
        }
        default: target.insert(target.end(), length, static_cast<std::uint8_t>(place)); break;
        }
    }
    return target;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t sourceSize = std::min(std::size_t{data[0]} | std::size_t{data[1]} << 8, size - 2);
    const fuzz::Bytes source(data + 2, data + 2 + sourceSize);
    const fuzz::Bytes target = BuildTarget(source, data + 2 + sourceSize, size - 2 - sourceSize);

    const fuzz::Bytes patch = MakeBpsDeltaPatch(source.data(), source.size(), target.data(), target.size());
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    Require(header.defect == BpsDefect::None, "the patch reads back cleanly");
    fuzz::Bytes made;
    const BpsOutcome outcome = ApplyBpsToBuffer(header, patch.data(), source.data(), source.size(), made);
    Require(outcome.defect == BpsDefect::None && made == target, "the patch turns the source into the target");
    const fuzz::Bytes linear = MakeBpsPatch(source.data(), source.size(), target.data(), target.size());
    Require(patch.size() <= linear.size(), "the patch is no larger than the linear one");
    return 0;
}
