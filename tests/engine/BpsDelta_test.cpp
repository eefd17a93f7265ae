#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/BpsDelta.h"
#include "engine/BpsPatch.h"
#include "engine/PatchMaker.h"
#include "engine/SamplePairs.h"

namespace q64 {
namespace {

using samples::Bytes;

Bytes Delta(const Bytes& source, const Bytes& target) {
    return MakeBpsDeltaPatch(source.data(), source.size(), target.data(), target.size());
}

Bytes Linear(const Bytes& source, const Bytes& target) {
    return MakeBpsPatch(source.data(), source.size(), target.data(), target.size());
}

Bytes Apply(const Bytes& patch, const Bytes& source) {
    Bytes target;
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    EXPECT_EQ(ApplyBpsToBuffer(header, patch.data(), source.data(), source.size(), target).defect, BpsDefect::None);
    return target;
}

// The actions of a patch as text, one "kind length from" per action
// ("SR 100", "TR 5", "SC 300 @1000", "TC 20 @64"; copies name where they read).
std::string Trace(const Bytes& patch) {
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    std::string trace;
    std::size_t at = header.actionsAt;
    std::uint64_t cursor[2] = {0, 0};
    while (at < header.actionsEnd) {
        std::uint64_t word = 0;
        if (!ReadBpsNumber(patch.data(), header.actionsEnd, at, word)) return trace + "?";
        const std::uint64_t length = (word >> 2) + 1;
        static const char* const kNames[] = {"SR", "TR", "SC", "TC"};
        trace += std::string(trace.empty() ? "" : ", ") + kNames[word & 3] + " " + std::to_string(length);
        if ((word & 3) == 1) at += length;
        if ((word & 3) >= 2) {
            std::uint64_t step = 0;
            ReadBpsNumber(patch.data(), header.actionsEnd, at, step);
            std::uint64_t& c = cursor[(word & 3) - 2];
            c = (step & 1) ? c - (step >> 1) : c + (step >> 1);
            trace += " @" + std::to_string(c);
            c += length;
        }
    }
    return trace;
}

Bytes Noise(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Slice(const Bytes& bytes, std::size_t at, std::size_t length) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
}

TEST(BpsDelta, ChoosesTheCheapestActions) {
    const Bytes a = Noise(20000, 1);
    const Bytes fresh = Noise(300, 2);
    struct Case {
        const char* what;
        Bytes source;
        Bytes target;
        std::string trace;
    };
    const std::vector<Case> cases = {
        {"identical", a, a, "SR 20000"},
        {"a block moved to the end", a, Join({Slice(a, 0, 5000), Slice(a, 9000, 11000), Slice(a, 5000, 4000)}),
         "SR 5000, SC 11000 @9000, SC 4000 @5000"},
        {"bytes inserted: the rest copied on from the cursor", a,
         Join({Slice(a, 0, 7000), fresh, Slice(a, 7000, 13000)}), "SR 7000, TR 300, SC 13000 @7000"},
        {"new bytes repeated, and a run", a, Join({Slice(a, 0, 100), fresh, fresh, Bytes(5000, 0xAB)}),
         "SR 100, TR 300, TC 300 @100, TR 1, TC 4999 @700"},
        {"three changed bytes stay literal", a,
         Join({Slice(a, 0, 10000), Bytes{0, 1, 2}, Slice(a, 10003, 9997)}), "SR 10000, TR 3, SR 9997"},
        {"shorter", a, Slice(a, 0, 12345), "SR 12345"},
        {"nothing to copy from", {}, fresh, "TR 300"},
    };
    for (const Case& c : cases) {
        const Bytes patch = Delta(c.source, c.target);
        EXPECT_EQ(Trace(patch), c.trace) << c.what;
        EXPECT_EQ(Apply(patch, c.source), c.target) << c.what;
    }
}

// The kinds of change patches are made for, in both byte orders: the patch
// gives the modified image and is never larger than the linear one; changes
// that only move data cost a few bytes.
TEST(BpsDelta, ImagePairsRoundTripSmall) {
    constexpr std::size_t kSize = 128 * 1024;
    for (const ImageFormat format : {ImageFormat::BigEndian, ImageFormat::ByteSwapped}) {
        for (const samples::PairKind kind : samples::kAllPairKinds) {
            const samples::ImagePair pair = samples::MakeImagePair(kind, kSize, format, 3);
            const Bytes patch = Delta(pair.original, pair.modified);
            const std::string what = samples::PairKindName(kind) + std::string(format == ImageFormat::BigEndian ? " z64" : " v64");
            EXPECT_EQ(Apply(patch, pair.original), pair.modified) << what;
            EXPECT_LE(patch.size(), Linear(pair.original, pair.modified).size()) << what;
            if (kind == samples::PairKind::MovedBlocks || kind == samples::PairKind::Shrunk) {
                EXPECT_LT(patch.size(), 200u) << what;
            }
            if (kind == samples::PairKind::InsertedBlock) {
                EXPECT_LT(patch.size(), kSize / 8 + 100) << what;
            }
        }
    }
}

// Random pairs built from pieces of the source, of the target so far, runs and
// new bytes (and edge sizes): encoding then applying gives the target.
TEST(BpsDelta, RandomPairsRoundTrip) {
    std::uint32_t x = 2024;
    const auto next = [&x](std::uint32_t n) { return ((x = x * 1664525u + 1013904223u) >> 8) % n; };
    for (int round = 0; round < 300; ++round) {
        const std::size_t sourceSize = round % 50 == 0 ? 0 : next(4000);
        Bytes source = Noise(sourceSize, x);
        for (std::size_t i = 0; i < source.size(); ++i)
            if (next(4) == 0) source[i] = static_cast<std::uint8_t>(next(3)); // a small alphabet here and there
        Bytes target;
        for (std::uint32_t piece = round % 50 == 1 ? 0 : next(12); piece > 0; --piece) {
            const std::size_t length = 1 + next(600);
            switch (next(4)) {
            case 0:
                if (!source.empty())
                    for (std::size_t i = 0, from = next(static_cast<std::uint32_t>(source.size())); i < length; ++i)
                        target.push_back(source[(from + i) % source.size()]);
                break;
            case 1:
                if (!target.empty())
                    for (std::size_t i = 0, from = next(static_cast<std::uint32_t>(target.size())); i < length; ++i) {
                        const std::uint8_t b = target[from + i];
                        target.push_back(b);
                    }
                break;
            case 2: target.insert(target.end(), length, static_cast<std::uint8_t>(next(256))); break;
            default: {
                const Bytes fresh = Noise(length, x);
                target.insert(target.end(), fresh.begin(), fresh.end());
            }
            }
        }
        const Bytes patch = Delta(source, target);
        ASSERT_EQ(Apply(patch, source), target) << "round " << round;
        EXPECT_LE(patch.size(), Linear(source, target).size()) << "round " << round;
    }
}

} // namespace
} // namespace q64
