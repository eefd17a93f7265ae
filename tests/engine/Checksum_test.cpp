#include <gtest/gtest.h>

#include <algorithm>

#include "engine/Checksum.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "OperationFixtures.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

constexpr std::size_t kFull = checksum::kDataEnd; // 1052672

Bytes ImageWithData(std::size_t size, std::uint8_t dataByte, ImageFormat format = ImageFormat::BigEndian) {
    samples::ImageSpec spec;
    spec.sizeBytes = size;
    Bytes b = samples::MakeImage(spec);
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(checksum::kDataStart), b.end(), dataByte);
    return format == ImageFormat::ByteSwapped ? samples::SwapPairs(std::move(b)) : b;
}

struct Checked {
    EngineResult result;
    ChecksumValues values;
};

Checked Check(const std::string& path, ChecksumFix fix = ChecksumFix::No, BackupMode mode = BackupMode::Temporary) {
    RomImage image;
    EXPECT_EQ(image.Identify(path), EngineResult::Ok);
    Checked c{};
    c.result = CalcChecksum(image, mode, fix, c.values);
    return c;
}

// ---- known answers ---------------------------------------------------------

TEST(ChecksumKnownAnswers, AllZeroAndAllFfData) {
    test::TempDir dir;
    const Checked zero = Check(dir.Write("zero.z64", ImageWithData(kFull, 0x00)));
    ASSERT_EQ(zero.result, EngineResult::Ok);
    EXPECT_EQ(zero.values.new1, 0xF8CA4DDCu);
    EXPECT_EQ(zero.values.new2, 0x303A4DDCu);
    EXPECT_EQ(zero.values.chip, BootChip::Cic6102);

    const Checked ff = Check(dir.Write("ff.z64", ImageWithData(kFull, 0xFF)));
    ASSERT_EQ(ff.result, EngineResult::Ok);
    EXPECT_EQ(ff.values.new1, 0xF8C24DDCu);
    EXPECT_EQ(ff.values.new2, 0xC1544DDCu);
}

TEST(ChecksumKnownAnswers, ShortImageIsZeroPadded) {
    test::TempDir dir;
    // 4096 header/boot bytes and no data at all sums like a full image of zeros.
    const Checked bare = Check(dir.Write("bare.z64", ImageWithData(4096, 0)));
    ASSERT_EQ(bare.result, EngineResult::Ok);
    EXPECT_EQ(bare.values.new1, 0xF8CA4DDCu);
    EXPECT_EQ(bare.values.new2, 0x303A4DDCu);

    // 8 data bytes followed by padding equal the same 8 bytes followed by real zeros.
    Bytes shortImage = samples::MakeImage({});
    shortImage.resize(4096 + 8);
    Bytes padded = shortImage;
    padded.resize(kFull, 0);
    const Checked a = Check(dir.Write("short.z64", shortImage));
    const Checked b = Check(dir.Write("padded.z64", padded));
    ASSERT_EQ(a.result, EngineResult::Ok);
    EXPECT_EQ(a.values.new1, b.values.new1);
    EXPECT_EQ(a.values.new2, b.values.new2);
}

TEST(ChecksumKnownAnswers, OnlyTheFirstMebibyteAfterTheBootAreaCounts) {
    test::TempDir dir;
    samples::ImageSpec spec;
    spec.sizeBytes = kFull + 65536;
    Bytes one = samples::MakeImage(spec);
    Bytes two = one;
    std::fill(two.begin() + static_cast<std::ptrdiff_t>(kFull), two.end(), 0xA5);
    const Checked a = Check(dir.Write("a.z64", one));
    const Checked b = Check(dir.Write("b.z64", two));
    ASSERT_EQ(a.result, EngineResult::Ok);
    EXPECT_EQ(a.values.new1, b.values.new1);
    EXPECT_EQ(a.values.new2, b.values.new2);
    // A change inside the summed range does change the pair.
    two[kFull - 1] ^= 0x01;
    const Checked c = Check(dir.Write("c.z64", two));
    EXPECT_FALSE(c.values.new1 == a.values.new1 && c.values.new2 == a.values.new2);
}

TEST(ChecksumKnownAnswers, ByteOrderTwinsGiveTheSamePairs) {
    test::TempDir dir;
    samples::ImageSpec spec;
    spec.seed = 42;
    Bytes big = samples::MakeImage(spec);
    big[0x10] = 0x12, big[0x11] = 0x34, big[0x12] = 0x56, big[0x13] = 0x78;
    const Checked a = Check(dir.Write("a.z64", big));
    const Checked b = Check(dir.Write("a.v64", samples::SwapPairs(big)));
    ASSERT_EQ(a.result, EngineResult::Ok);
    ASSERT_EQ(b.result, EngineResult::Ok);
    EXPECT_EQ(a.values.stored1, b.values.stored1);
    EXPECT_EQ(a.values.stored2, b.values.stored2);
    EXPECT_EQ(a.values.new1, b.values.new1);
    EXPECT_EQ(a.values.new2, b.values.new2);
    EXPECT_EQ(b.values.stored1, 0x12345678u); // read back in canonical order
}

TEST(ChecksumKnownAnswers, WordWithZeroLowBitsIsAddedUnrotated) {
    // One word 0x00000020 (low five bits 0) among zeros: t5 = seed + 0x20.
    ChecksumSum sum(BootChip::Cic6102);
    std::array<std::uint8_t, 4> word{0x00, 0x00, 0x00, 0x20};
    sum.AddCanonical(word.data(), word.size(), checksum::kDataStart);
    std::uint32_t n1 = 0, n2 = 0;
    sum.Finish(n1, n2);
    const std::uint32_t seed = 0xF8CA4DDCu;
    const std::uint32_t t6 = seed + 0x20, t3 = seed ^ 0x20, t5 = seed + 0x20;
    const std::uint32_t t2 = seed ^ 0x20; // 0x20 is below the seed: t2 ^= r, r = w
    const std::uint32_t t1 = seed + (t5 ^ 0x20);
    EXPECT_EQ(n1, t6 ^ seed ^ t3);
    EXPECT_EQ(n2, t5 ^ t2 ^ t1);
}

// ---- sizes -------------------------------------------------------------------

TEST(ChecksumSizes, RefusesTooSmallAndOddSizedShortImages) {
    test::TempDir dir;
    Bytes small = samples::MakeImage({});
    small.resize(4092);
    EXPECT_EQ(Check(dir.Write("small.z64", small)).result, EngineResult::ErrFailed);
    Bytes odd = samples::MakeImage({});
    odd.resize(5001);
    const std::string oddPath = dir.Write("odd.z64", odd);
    EXPECT_EQ(Check(oddPath, ChecksumFix::Yes, BackupMode::Keep).result, EngineResult::ErrFormat);
    // Refused before any backup: nothing is left behind.
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"odd.z64", "small.z64"}));
    EXPECT_EQ(dir.Read("odd.z64"), odd);
    // From 1052672 bytes on the multiple-of-4 rule no longer applies.
    Bytes large = samples::MakeImage({});
    large.resize(kFull + 3, 0x11);
    EXPECT_EQ(Check(dir.Write("large.z64", large)).result, EngineResult::Ok);
}

TEST(ChecksumSizes, RefusesCompressedImagesAndOtherKinds) {
    test::TempDir dir;
    EXPECT_EQ(Check(dir.Write("c.z64", samples::MakeCompressedImage({}))).result, EngineResult::ErrFailed);
    EXPECT_EQ(Check(dir.Write("bios.bin", samples::MakeBios())).result, EngineResult::ErrFailed);
    RomImage image;
    ChecksumValues values;
    EXPECT_EQ(CalcChecksum(image, BackupMode::Keep, ChecksumFix::No, values), EngineResult::ErrNotLoaded);
}

// ---- fixing --------------------------------------------------------------------

TEST(ChecksumFixing, WritesThePairInTheFilesOwnOrderAndNothingElse) {
    for (const ImageFormat format : {ImageFormat::BigEndian, ImageFormat::ByteSwapped}) {
        test::TempDir dir;
        samples::ImageSpec spec;
        spec.format = format;
        const Bytes before = samples::MakeImage(spec);
        const std::string path = dir.Write("game.z64", before);
        const Checked fixed = Check(path, ChecksumFix::Yes, BackupMode::Temporary);
        ASSERT_EQ(fixed.result, EngineResult::Ok);
        EXPECT_FALSE(fixed.values.Valid());
        const Bytes after = dir.Read("game.z64");
        ASSERT_EQ(after.size(), before.size());
        Bytes expected = before;
        std::copy(after.begin() + 16, after.begin() + 24, expected.begin() + 16);
        EXPECT_TRUE(after == expected); // only the eight checksum bytes changed
        Bytes canonical = format == ImageFormat::ByteSwapped ? samples::SwapPairs(after) : after;
        EXPECT_EQ(canonical[16], fixed.values.new1 >> 24);
        EXPECT_EQ(canonical[23], fixed.values.new2 & 0xFF);
        const Checked again = Check(path);
        EXPECT_TRUE(again.values.Valid());
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"}); // temporary backup gone
    }
}

TEST(ChecksumFixing, FixingAValidImageWritesTheSameBytesAndKeepsABackupInMode1) {
    test::TempDir dir;
    const std::string path = dir.Write("game.z64", samples::MakeImage({}));
    ASSERT_EQ(Check(path, ChecksumFix::Yes, BackupMode::NoneInPlace).result, EngineResult::Ok);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"}); // mode 3: no backup at all
    const Bytes valid = dir.Read("game.z64");
    ASSERT_EQ(Check(path, ChecksumFix::Yes, BackupMode::Keep).result, EngineResult::Ok);
    EXPECT_EQ(dir.Read("game.z64"), valid);
    EXPECT_EQ(dir.Read("game.bak"), valid);
}

TEST(ChecksumFixing, FailuresLeaveTheFileAsItWas) {
    test::TempDir dir;
    const Bytes before = samples::MakeImage({});
    const std::string path = dir.Write("game.z64", before);
    {
        test::FileSizeLimit full(4096); // the copy back from the backup cannot be written
        const Checked c = Check(path, ChecksumFix::Yes, BackupMode::Keep);
        EXPECT_EQ(c.result, EngineResult::ErrFailed);
    }
    EXPECT_EQ(dir.Read("game.z64"), before);
    EXPECT_FALSE(dir.Exists("game._bb"));

    const std::string bak = dir.Write("old.bak", before);
    EXPECT_EQ(Check(bak, ChecksumFix::Yes).result, EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("old.bak"), before);

    test::ReadOnlyFolder locked(dir.Path());
    if (!locked.Locked()) GTEST_SKIP() << "cannot make a folder read-only here";
    EXPECT_EQ(Check(path, ChecksumFix::Yes).result, EngineResult::ErrBackup);
    EXPECT_EQ(Check(path, ChecksumFix::No).result, EngineResult::Ok); // reading still works
    EXPECT_EQ(dir.Read("game.z64"), before);
}

// ---- boot chips ----------------------------------------------------------------

TEST(ChecksumBootChips, ChipIsTakenFromTheBootCodeCrc) {
    test::TempDir dir;
    const std::pair<std::uint32_t, BootChip> cases[] = {
        {0x0B050EE0u, BootChip::Cic6103}, {0x98BC2C86u, BootChip::Cic6105},
        {0xACC8580Au, BootChip::Cic6106}, {0x12345678u, BootChip::Cic6102}};
    for (const auto& [crc, chip] : cases) {
        const std::string path = dir.Write("chip.v64", samples::MakeImageWithBootCrc({.format = ImageFormat::ByteSwapped}, crc));
        const Checked c = Check(path);
        ASSERT_EQ(c.result, EngineResult::Ok);
        EXPECT_EQ(c.values.chip, chip) << std::hex << crc;
    }
}

TEST(ChecksumBootChips, ZeroDataGivesEachChipsSeedAnswer) {
    // With all-zero data every accumulator keeps the seed except t1 = seed * 262145.
    const std::pair<BootChip, std::uint32_t> chips[] = {
        {BootChip::Cic6103, 0xA3886759u}, {BootChip::Cic6106, 0x1FEA617Au}};
    const std::array<std::uint8_t, 4096> zeros{};
    for (const auto& [chip, seed] : chips) {
        ChecksumSum sum(chip);
        for (std::size_t at = checksum::kDataStart; at < checksum::kDataEnd; at += zeros.size())
            sum.AddCanonical(zeros.data(), zeros.size(), at);
        std::uint32_t n1 = 0, n2 = 0;
        sum.Finish(n1, n2);
        const std::uint32_t t1 = seed * 262145u;
        const bool is6103 = chip == BootChip::Cic6103;
        EXPECT_EQ(n1, is6103 ? seed : seed * seed + seed);
        EXPECT_EQ(n2, is6103 ? t1 : seed * seed + t1);
    }
}

TEST(ChecksumBootChips, Chip6105MixesTheBootTableInstead) {
    test::TempDir dir;
    // Same data, different boot code (and so a different table at 0x750).
    Bytes a = samples::MakeImageWithBootCrc({.seed = 1}, 0x98BC2C86u);
    Bytes b = samples::MakeImageWithBootCrc({.seed = 2}, 0x98BC2C86u);
    std::copy(a.begin() + 0x1000, a.end(), b.begin() + 0x1000);
    const Checked ca = Check(dir.Write("a.z64", a));
    const Checked cb = Check(dir.Write("b.z64", b));
    ASSERT_EQ(ca.values.chip, BootChip::Cic6105);
    ASSERT_EQ(cb.values.chip, BootChip::Cic6105);
    EXPECT_EQ(ca.values.new1, cb.values.new1); // t6, t4, t3 do not see the table
    EXPECT_NE(ca.values.new2, cb.values.new2);
    // A 6102 image's pair does not depend on its boot code.
    Bytes c = samples::MakeImage({.seed = 1});
    Bytes d = samples::MakeImage({.seed = 2});
    std::copy(c.begin() + 0x1000, c.end(), d.begin() + 0x1000);
    EXPECT_EQ(Check(dir.Write("c.z64", c)).values.new2, Check(dir.Write("d.z64", d)).values.new2);
}

TEST(ChecksumBootChips, FixedPairOfEveryChipChecksValid) {
    test::TempDir dir;
    for (const std::uint32_t crc : {0x0B050EE0u, 0x98BC2C86u, 0xACC8580Au}) {
        const std::string path = dir.Write("chip.z64", samples::MakeImageWithBootCrc({}, crc));
        const Checked fixed = Check(path, ChecksumFix::Yes, BackupMode::Temporary);
        ASSERT_EQ(fixed.result, EngineResult::Ok);
        const Checked again = Check(path);
        EXPECT_TRUE(again.values.Valid());
        EXPECT_EQ(again.values.chip, fixed.values.chip); // the fix does not touch the boot code
    }
}

} // namespace
} // namespace q64
