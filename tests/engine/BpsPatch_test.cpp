#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/BpsPatch.h"
#include "engine/SampleFiles.h"

namespace q64 {
namespace {

using samples::Bytes;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void PutCrc(Bytes& out, std::uint32_t crc) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
}

// "BPS1", the hand-written `body` (sizes, metadata, actions), then the three CRC-32.
Bytes Bps(const Bytes& body, const Bytes& source, const Bytes& target) {
    Bytes patch = Text("BPS1");
    patch.insert(patch.end(), body.begin(), body.end());
    PutCrc(patch, Crc32(source.data(), source.size()));
    PutCrc(patch, Crc32(target.data(), target.size()));
    PutCrc(patch, Crc32(patch.data(), patch.size()));
    return patch;
}

BpsOutcome RunPatch(const Bytes& patch, const Bytes& source, Bytes& target) {
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    return ApplyBpsToBuffer(header, patch.data(), source.data(), source.size(), target);
}

// ---- numbers ------------------------------------------------------------------

TEST(BpsNumber, KnownEncodings) {
    const std::vector<std::pair<std::uint64_t, Bytes>> cases = {
        {0, {0x80}},         {1, {0x81}},         {127, {0xFF}},
        {128, {0x00, 0x80}}, {255, {0x7F, 0x80}}, {16512, {0x00, 0x00, 0x80}},
    };
    for (const auto& [value, bytes] : cases) {
        Bytes written;
        AppendBpsNumber(written, value);
        EXPECT_EQ(written, bytes) << value;
        std::size_t at = 0;
        std::uint64_t read = 0;
        ASSERT_TRUE(ReadBpsNumber(bytes.data(), bytes.size(), at, read)) << value;
        EXPECT_EQ(read, value);
        EXPECT_EQ(at, bytes.size());
    }
}

TEST(BpsNumber, RoundTripsUpToTheLargestValue) {
    for (const std::uint64_t value : {std::uint64_t{1} << 32, std::uint64_t{0x0123456789ABCDEF}, ~std::uint64_t{0}}) {
        Bytes written;
        AppendBpsNumber(written, value);
        std::size_t at = 0;
        std::uint64_t read = 0;
        ASSERT_TRUE(ReadBpsNumber(written.data(), written.size(), at, read));
        EXPECT_EQ(read, value);
    }
}

TEST(BpsNumber, RefusesNumbersCutShortOrTooLarge) {
    std::size_t at = 0;
    std::uint64_t value = 0;
    const Bytes unfinished = {0x00, 0x01, 0x7F};
    EXPECT_FALSE(ReadBpsNumber(unfinished.data(), unfinished.size(), at, value));
    EXPECT_EQ(at, 0u);
    const Bytes endless(12, 0x7F);
    EXPECT_FALSE(ReadBpsNumber(endless.data(), endless.size(), at, value));
    Bytes overflow(9, 0x7F); // nine full groups and a tenth one too large for 64 bits
    overflow.push_back(0x82);
    EXPECT_FALSE(ReadBpsNumber(overflow.data(), overflow.size(), at, value));
}

// ---- each action, written by hand ----------------------------------------------

const Bytes kSource = Text("ABCDEFGH");

TEST(BpsActions, SourceReadCopiesTheSameRange) {
    const Bytes target = Text("ABCD");
    // sizes 8, 4, metadata 0; SourceRead 4: (3 << 2) | 0
    const Bytes patch = Bps({0x88, 0x84, 0x80, 0x8C}, kSource, target);
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_EQ(out, target);
}

TEST(BpsActions, TargetReadTakesBytesFromThePatch) {
    const Bytes target = Text("xyz");
    // TargetRead 3: (2 << 2) | 1, then the bytes
    const Bytes patch = Bps({0x88, 0x83, 0x80, 0x89, 'x', 'y', 'z'}, kSource, target);
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_EQ(out, target);
}

TEST(BpsActions, SourceCopyStepsItsCursorBothWays) {
    const Bytes target = Text("EFGAB");
    // SourceCopy 3 from +4: (2 << 2) | 2, step 4 << 1; the cursor is then at 7:
    // SourceCopy 2 stepping back 7: (1 << 2) | 2, step 7 << 1 | 1
    const Bytes patch = Bps({0x88, 0x85, 0x80, 0x8A, 0x88, 0x86, 0x8F}, kSource, target);
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_EQ(out, target);
}

TEST(BpsActions, TargetCopyOverlappingRepeatsAPattern) {
    const Bytes target = Text("ababab");
    // TargetRead 2 "ab": (1 << 2) | 1; TargetCopy 4 from 0: (3 << 2) | 3, step 0
    const Bytes patch = Bps({0x88, 0x86, 0x80, 0x85, 'a', 'b', 0x8F, 0x80}, kSource, target);
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_EQ(out, target);
}

TEST(BpsActions, TargetCopyStepsItsCursorBothWays) {
    const Bytes target = Text("abcXbcab");
    // TargetRead 4; TargetCopy 2 from +1: (1 << 2) | 3, step 1 << 1; the cursor
    // is then at 3: TargetCopy 2 stepping back 3: step 3 << 1 | 1
    const Bytes patch = Bps({0x88, 0x88, 0x80, 0x8D, 'a', 'b', 'c', 'X', 0x87, 0x82, 0x87, 0x87}, kSource, target);
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_EQ(out, target);
}

TEST(BpsActions, MetadataIsSkipped) {
    const Bytes target = Text("AB");
    // metadata 3 bytes "m=1", then SourceRead 2
    const Bytes patch = Bps({0x88, 0x82, 0x83, 'm', '=', '1', 0x84}, kSource, target);
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    EXPECT_EQ(header.metadataSize, 3u);
    EXPECT_EQ(patch[header.metadataAt], 'm');
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_EQ(out, target);
}

TEST(BpsActions, EmptyTargetNeedsNoActions) {
    const Bytes patch = Bps({0x88, 0x80, 0x80}, kSource, {});
    Bytes out = {1, 2, 3};
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::None);
    EXPECT_TRUE(out.empty());
}

// ---- damaged and hostile patches -----------------------------------------------

TEST(BpsDamage, RefusesWhatIsNotAPatch) {
    for (const Bytes& bytes : {Bytes{}, Text("BPS"), Text("BPS2abcdefghijklmnop"), Text("PATCHEOF")})
        EXPECT_EQ(ParseBpsPatch(bytes.data(), bytes.size()).defect, BpsDefect::NotPatch);
}

TEST(BpsDamage, EveryCutIsRefused) {
    const Bytes patch = Bps({0x88, 0x86, 0x80, 0x85, 'a', 'b', 0x8F, 0x80}, kSource, Text("ababab"));
    for (std::size_t cut = 0; cut < patch.size(); ++cut) {
        Bytes out;
        const BpsDefect defect = RunPatch(Bytes(patch.begin(), patch.begin() + cut), kSource, out).defect;
        EXPECT_NE(defect, BpsDefect::None) << "cut at " << cut;
        EXPECT_TRUE(out.empty());
    }
}

TEST(BpsDamage, EveryChangedByteFailsThePatchCrc) {
    const Bytes patch = Bps({0x88, 0x86, 0x80, 0x85, 'a', 'b', 0x8F, 0x80}, kSource, Text("ababab"));
    for (std::size_t i = bps::kSignatureSize; i < patch.size(); ++i) {
        Bytes damaged = patch;
        damaged[i] ^= 0x10;
        EXPECT_EQ(ParseBpsPatch(damaged.data(), damaged.size()).defect, BpsDefect::PatchCrc) << "byte " << i;
    }
}

TEST(BpsDamage, ActionsOutsideTheirBoundsAreRefused) {
    struct Case {
        const char* what;
        Bytes body;
        std::size_t targetSize;
        std::size_t at; // the action at fault: after "BPS1" and three sizes the first is at 7
    };
    const std::vector<Case> cases = {
        {"SourceRead past the source", {0x88, 0x8A, 0x80, 0xA4}, 10, 7},            // SourceRead 10 of 8
        {"SourceRead past the target", {0x88, 0x82, 0x80, 0x88}, 2, 7},             // SourceRead 3 into 2
        {"TargetRead past the actions", {0x88, 0x84, 0x80, 0x8D, 'a', 'b'}, 4, 7},  // TargetRead 4, 2 bytes
        {"SourceCopy before the source", {0x88, 0x82, 0x80, 0x86, 0x83}, 2, 7},     // step back 1 from 0
        {"SourceCopy past the source", {0x88, 0x82, 0x80, 0x86, 0x8E}, 2, 7},       // 2 from +7
        {"TargetCopy from unwritten output", {0x88, 0x82, 0x80, 0x87, 0x80}, 2, 7}, // nothing written yet
        // TargetRead 1, then TargetCopy 1 stepping to 2 with 1 byte written
        {"TargetCopy cursor past the output", {0x88, 0x84, 0x80, 0x81, 'a', 0x83, 0x84}, 4, 9},
        {"action cut at the footer", {0x88, 0x84, 0x80, 0x00}, 4, 7},
    };
    for (const Case& c : cases) {
        const Bytes patch = Bps(c.body, kSource, Bytes(c.targetSize, 0));
        Bytes out;
        const BpsOutcome outcome = RunPatch(patch, kSource, out);
        EXPECT_EQ(outcome.defect, BpsDefect::BadAction) << c.what;
        EXPECT_EQ(outcome.defectAt, c.at) << c.what;
        EXPECT_TRUE(out.empty());
    }
}

TEST(BpsDamage, ActionsEndingEarlyLeaveTheTargetShort) {
    const Bytes patch = Bps({0x88, 0x86, 0x80, 0x8C}, kSource, Text("ABCDEF")); // SourceRead 4 of 6
    Bytes out;
    EXPECT_EQ(RunPatch(patch, kSource, out).defect, BpsDefect::ShortTarget);
}

TEST(BpsDamage, WrongTargetCrcIsReportedWithTheResultsCrc) {
    const Bytes patch = Bps({0x88, 0x84, 0x80, 0x8C}, kSource, Text("ABCX"));
    Bytes out;
    const BpsOutcome outcome = RunPatch(patch, kSource, out);
    EXPECT_EQ(outcome.defect, BpsDefect::TargetCrc);
    const Bytes abcd = Text("ABCD");
    EXPECT_EQ(outcome.actualCrc, Crc32(abcd.data(), abcd.size()));
    EXPECT_TRUE(out.empty());
}

TEST(BpsDamage, AnotherSourceIsReportedWithItsCrc) {
    const Bytes patch = Bps({0x88, 0x84, 0x80, 0x8C}, kSource, Text("ABCD"));
    for (const Bytes& other : {Text("ABCDEFGX"), Text("ABCDEFG"), samples::SwapPairs(kSource)}) {
        Bytes out;
        const BpsOutcome outcome = RunPatch(patch, other, out);
        EXPECT_EQ(outcome.defect, BpsDefect::SourceMismatch);
        EXPECT_EQ(outcome.actualCrc, Crc32(other.data(), other.size()));
    }
}

TEST(BpsDamage, HeaderSizesAreChecked) {
    Bytes huge; // target size 2^40
    AppendBpsNumber(huge, std::uint64_t{1} << 40);
    Bytes tooLarge = {0x88};
    tooLarge.insert(tooLarge.end(), huge.begin(), huge.end());
    tooLarge.push_back(0x80);
    const Bytes tooLargePatch = Bps(tooLarge, kSource, {});
    EXPECT_EQ(ParseBpsPatch(tooLargePatch.data(), tooLargePatch.size()).defect, BpsDefect::TooLarge);
    const Bytes metadataPastEnd = Bps({0x88, 0x80, 0x90, 'm'}, kSource, {}); // 16 bytes of metadata, 1 there
    EXPECT_EQ(ParseBpsPatch(metadataPastEnd.data(), metadataPastEnd.size()).defect, BpsDefect::BadHeader);
    const Bytes sizesCut = Bps({0x88, 0x00, 0x00}, kSource, {}); // the target size runs into the footer
    EXPECT_EQ(ParseBpsPatch(sizesCut.data(), sizesCut.size()).defect, BpsDefect::BadHeader);
}

} // namespace
} // namespace q64
