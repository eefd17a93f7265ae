#include <gtest/gtest.h>

#include <vector>

#include "engine/BpsPatch.h"
#include "engine/IpsPatch.h"
#include "engine/PatchMaker.h"
#include "engine/SampleFiles.h"

namespace q64 {
namespace {

using samples::Bytes;

Bytes MakeIps(const Bytes& original, const Bytes& modified) {
    Bytes patch;
    EXPECT_TRUE(MakeIpsPatch(original.data(), original.size(), modified.data(), modified.size(), patch));
    return patch;
}

Bytes ApplyIps(const Bytes& patch, Bytes target) {
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    EXPECT_EQ(plan.defect, IpsDefect::None);
    ApplyIpsToBuffer(plan, patch.data(), target);
    return target;
}

Bytes ApplyBps(const Bytes& patch, const Bytes& source) {
    Bytes target;
    const BpsHeader header = ParseBpsPatch(patch.data(), patch.size());
    EXPECT_EQ(ApplyBpsToBuffer(header, patch.data(), source.data(), source.size(), target).defect, BpsDefect::None);
    return target;
}

// Bytes after "PATCH" and before "EOF" for a patch of plain records.
Bytes Records(const Bytes& patch) { return Bytes(patch.begin() + 5, patch.end() - 3); }

Bytes Image(ImageFormat format, std::size_t size, std::uint32_t seed = 7) {
    samples::ImageRecipe recipe;
    recipe.format = format;
    recipe.sizeBytes = size;
    recipe.seed = seed;
    return samples::MakeImage(recipe);
}

// The image with scattered changes: some single bytes, some short stretches,
// a run of one value, then cut or grown (with 0xFF padding) to `size`.
Bytes Modified(Bytes image, std::size_t size) {
    std::uint32_t x = 99;
    for (int i = 0; i < 200; ++i) {
        x = x * 1103515245u + 12345u;
        const std::size_t at = (x >> 8) % image.size();
        const std::size_t length = 1 + (x >> 4) % (i % 3 == 0 ? 40 : 3);
        for (std::size_t k = at; k < std::min(image.size(), at + length); ++k)
            image[k] = static_cast<std::uint8_t>(i % 5 == 0 ? 0xAA : image[k] ^ (x >> 24 | 1));
    }
    image.resize(size, 0xFF);
    return image;
}

// ---- IPS creation rules ----------------------------------------------------------

TEST(IpsMake, IdenticalFilesGiveAnEmptyPatch) {
    const Bytes image = Image(ImageFormat::BigEndian, 4096);
    EXPECT_EQ(MakeIps(image, image), (Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F'}));
}

TEST(IpsMake, WritesOnlyTheDifferingBytes) {
    Bytes original(4096, 0x11);
    Bytes modified = original;
    modified[0x100] = 0x22;
    modified[0x800] = 0x33;
    modified[0x801] = 0x34;
    EXPECT_EQ(Records(MakeIps(original, modified)),
              (Bytes{0x00, 0x01, 0x00, 0x00, 0x01, 0x22, 0x00, 0x08, 0x00, 0x00, 0x02, 0x33, 0x34}));
}

TEST(IpsMake, ShortGapsAreWrittenThroughLongOnesStartANewRecord) {
    Bytes original(4096, 0x11);
    Bytes modified = original;
    modified[0x10] = 0x22;
    modified[0x15] = 0x22; // 4 equal bytes between: one record of 6
    modified[0x40] = 0x22;
    modified[0x46] = 0x22; // 5 equal bytes between: two records
    const Bytes patch = MakeIps(original, modified);
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    ASSERT_EQ(plan.changes.size(), 3u);
    EXPECT_EQ(plan.changes[0].offset, 0x10u);
    EXPECT_EQ(plan.changes[0].length, 6u);
    EXPECT_EQ(plan.changes[1].offset, 0x40u);
    EXPECT_EQ(plan.changes[2].offset, 0x46u);
}

TEST(IpsMake, RunsBecomeRunRecordsWhereTheyPay) {
    Bytes original(4096, 0x11);
    Bytes modified = original;
    std::fill(modified.begin() + 0x200, modified.begin() + 0x200 + 300, 0xFF); // a run alone
    std::fill(modified.begin() + 0x400, modified.begin() + 0x400 + 3, 0xEE);   // too short to pay
    modified[0x403] = 0x01;
    const Bytes patch = MakeIps(original, modified);
    EXPECT_EQ(Records(patch), (Bytes{0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x2C, 0xFF, //
                                     0x00, 0x04, 0x00, 0x00, 0x04, 0xEE, 0xEE, 0xEE, 0x01}));
}

TEST(IpsMake, RunInsideChangedBytesPaysOnlyWhenLongEnough) {
    Bytes original(4096, 0x11);
    for (const std::size_t run : {13u, 14u}) {
        Bytes modified = original;
        modified[0x100] = 1;
        std::fill(modified.begin() + 0x101, modified.begin() + 0x101 + run, 0x77);
        modified[0x101 + run] = 2;
        const Bytes patch = MakeIps(original, modified);
        const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
        EXPECT_EQ(plan.changes.size(), run == 13 ? 1u : 3u) << run;
        EXPECT_EQ(ApplyIps(patch, original), modified);
    }
}

TEST(IpsMake, RecordsAreSplitAt65535Bytes) {
    const Bytes original(200000, 0);
    Bytes modified(original.size()); // every byte changed, no two neighbours equal
    for (std::size_t i = 0; i < modified.size(); ++i) modified[i] = static_cast<std::uint8_t>(i % 251 + 1);
    const Bytes patch = MakeIps(original, modified);
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    ASSERT_EQ(plan.changes.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(plan.changes[i].offset, i * 65535);
        EXPECT_EQ(plan.changes[i].length, 65535u);
    }
    EXPECT_EQ(plan.changes[3].length, 200000u - 3 * 65535);
    EXPECT_EQ(ApplyIps(patch, original), modified);
}

TEST(IpsMake, NoRecordStartsAtTheEofOffset) {
    const std::size_t size = ips::kEofOffset + 0x100000;
    const Bytes original(size, 0x11);
    struct Case {
        const char* what;
        std::size_t from;
        std::size_t length;
        std::uint8_t value; // 0: a different byte each
    };
    const std::vector<Case> cases = {
        {"one byte", ips::kEofOffset, 1, 0},
        {"data", ips::kEofOffset, 40, 0},
        {"a run", ips::kEofOffset, 40, 0x99},
        {"a run after a changed byte", ips::kEofOffset - 1, 40, 0x99},
        {"a record split there", ips::kEofOffset - 65535, 65535 + 10, 0},
    };
    for (const Case& c : cases) {
        Bytes modified = original;
        for (std::size_t i = 0; i < c.length; ++i)
            modified[c.from + i] = c.value ? c.value : static_cast<std::uint8_t>(0x20 + i % 2);
        if (c.from < ips::kEofOffset) modified[c.from] = 0x42;
        const Bytes patch = MakeIps(original, modified);
        const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
        ASSERT_EQ(plan.defect, IpsDefect::None) << c.what;
        EXPECT_TRUE(plan.endMarker);
        for (const IpsChange& change : plan.changes) EXPECT_NE(change.offset, ips::kEofOffset) << c.what;
        EXPECT_EQ(ApplyIps(patch, original), modified) << c.what;
    }
}

TEST(IpsMake, ShorterModifiedFileGetsTheSizeRecord) {
    const Bytes original = Image(ImageFormat::BigEndian, 8192);
    const Bytes modified(original.begin(), original.begin() + 5000);
    const Bytes patch = MakeIps(original, modified);
    EXPECT_EQ(patch, (Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F', 0x00, 0x13, 0x88}));
    EXPECT_EQ(ApplyIps(patch, original), modified);
}

TEST(IpsMake, LongerModifiedFileIsWrittenPastTheOriginalsEnd) {
    const Bytes original = Image(ImageFormat::BigEndian, 4096);
    Bytes modified = original;
    modified.resize(4096 + 1000, 0x00); // zeros: one run record
    const Bytes patch = MakeIps(original, modified);
    EXPECT_EQ(Records(patch), (Bytes{0x00, 0x10, 0x00, 0x00, 0x00, 0x03, 0xE8, 0x00}));
    EXPECT_EQ(ApplyIps(patch, original), modified);
}

TEST(IpsMake, RefusesFilesOver16MiB) {
    const Bytes small(16, 0);
    const Bytes large((1u << 24) + 1, 0);
    Bytes patch = {1};
    EXPECT_FALSE(MakeIpsPatch(large.data(), large.size(), small.data(), small.size(), patch));
    EXPECT_TRUE(patch.empty());
    EXPECT_FALSE(MakeIpsPatch(small.data(), small.size(), large.data(), large.size(), patch));
    const Bytes full(1u << 24, 0); // exactly 16 MiB: every offset fits
    EXPECT_TRUE(MakeIpsPatch(full.data(), full.size(), small.data(), small.size(), patch));
}

// ---- BPS creation ----------------------------------------------------------------

TEST(BpsMake, IdenticalFilesGiveOneSourceRead) {
    const Bytes image = Image(ImageFormat::BigEndian, 4096);
    const Bytes patch = MakeBpsPatch(image.data(), image.size(), image.data(), image.size());
    // "BPS1", sizes 4096, 4096, 0 (2 + 2 + 1 bytes), SourceRead 4096 (2 bytes), 12 bytes of CRC-32
    EXPECT_EQ(patch.size(), 4u + 5 + 2 + 12);
    EXPECT_EQ(ApplyBps(patch, image), image);
}

TEST(BpsMake, RunsAreCopiedFromTheOutputNotRepeated) {
    const Bytes original = Image(ImageFormat::BigEndian, 65536);
    Bytes modified = original;
    std::fill(modified.begin() + 1000, modified.begin() + 31000, 0x00);
    const Bytes patch = MakeBpsPatch(original.data(), original.size(), modified.data(), modified.size());
    EXPECT_LT(patch.size(), 64u);
    EXPECT_EQ(ApplyBps(patch, original), modified);
}

TEST(BpsMake, PatchSizeFollowsTheChangedBytes) {
    const Bytes original = Image(ImageFormat::BigEndian, 1 << 20);
    Bytes modified = original;
    for (std::size_t at = 0; at < modified.size(); at += 4096) modified[at] ^= 0x5A; // 256 single bytes
    const Bytes patch = MakeBpsPatch(original.data(), original.size(), modified.data(), modified.size());
    EXPECT_LE(patch.size(), 256u * 6 + 32);
    EXPECT_EQ(ApplyBps(patch, original), modified);
}

// ---- round trips -----------------------------------------------------------------

TEST(PatchRoundTrip, BothFormatsBothByteOrdersShrinkAndGrow) {
    const std::size_t base = 1 << 20;
    for (const ImageFormat format : {ImageFormat::BigEndian, ImageFormat::ByteSwapped}) {
        const Bytes original = Image(format, base);
        for (const std::size_t size : {base, base - 70000, base + 200000, std::size_t{1000}}) {
            const Bytes modified = Modified(original, size);
            EXPECT_EQ(ApplyIps(MakeIps(original, modified), original), modified) << size;
            EXPECT_EQ(ApplyBps(MakeBpsPatch(original.data(), original.size(), modified.data(), modified.size()),
                               original),
                      modified)
                << size;
        }
    }
}

TEST(PatchRoundTrip, UnrelatedFilesAndEmptyOnes) {
    const Bytes a = Image(ImageFormat::BigEndian, 5000, 1);
    const Bytes b = Image(ImageFormat::ByteSwapped, 7000, 2);
    for (const auto& [from, to] : std::vector<std::pair<Bytes, Bytes>>{{a, b}, {b, a}, {{}, a}, {a, {}}, {{}, {}}}) {
        EXPECT_EQ(ApplyIps(MakeIps(from, to), from), to);
        EXPECT_EQ(ApplyBps(MakeBpsPatch(from.data(), from.size(), to.data(), to.size()), from), to);
    }
}

} // namespace
} // namespace q64
