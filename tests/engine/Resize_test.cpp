#include <gtest/gtest.h>

#include "engine/RomImage.h"
#include "engine/Resize.h"
#include "engine/SampleFiles.h"
#include "OperationFixtures.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;
constexpr std::int64_t kMbit = kBytesPerMbit;

EngineResult Resize(const std::string& path, std::int64_t newSize, BackupMode mode = BackupMode::Temporary,
                    const ProgressFn& progress = {}) {
    RomImage image;
    if (image.Identify(path) != EngineResult::Ok) return EngineResult::ErrFormat;
    return ResizeImage(image, newSize, mode, progress);
}

Bytes ImageOf(std::size_t size) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = size;
    return samples::MakeImage(recipe);
}

TEST(ResizeImage, TruncatesPadsAndRewritesTheSameSize) {
    test::TempDir dir;
    const Bytes original = ImageOf(64 * kMbit);
    const std::string path = dir.Write("game.z64", original);
    ASSERT_EQ(Resize(path, 64 * kMbit), EngineResult::Ok);
    EXPECT_EQ(dir.Read("game.z64"), original);
    ASSERT_EQ(Resize(path, 32 * kMbit), EngineResult::Ok);
    const Bytes half = dir.Read("game.z64");
    EXPECT_TRUE(half == Bytes(original.begin(), original.begin() + 32 * kMbit));
    ASSERT_EQ(Resize(path, 64 * kMbit, BackupMode::Keep), EngineResult::Ok);
    Bytes padded = half;
    padded.resize(64 * kMbit, 0);
    EXPECT_TRUE(dir.Read("game.z64") == padded);
    EXPECT_TRUE(dir.Read("game.bak") == half);
}

TEST(ResizeImage, SizesOffTheChunkGridAreExact) {
    test::TempDir dir;
    // Not a whole number of Mbit, padded up to exactly the new size.
    const Bytes odd = ImageOf(kMbit + 12345);
    const std::string path = dir.Write("odd.z64", odd);
    ASSERT_EQ(Resize(path, 2 * kMbit), EngineResult::Ok);
    const Bytes grown = dir.Read("odd.z64");
    ASSERT_EQ(grown.size(), static_cast<std::size_t>(2 * kMbit));
    EXPECT_TRUE(std::equal(odd.begin(), odd.end(), grown.begin()));
    EXPECT_TRUE(std::all_of(grown.begin() + static_cast<std::ptrdiff_t>(odd.size()), grown.end(),
                            [](std::uint8_t b) { return b == 0; }));
    // Truncating to a size that is not a multiple of the 32768-byte chunk works too.
    ASSERT_EQ(Resize(path, 100000), EngineResult::Ok);
    EXPECT_TRUE(dir.Read("odd.z64") == Bytes(odd.begin(), odd.begin() + 100000));
}

TEST(ResizeImage, RefusesSizesWithoutAHeaderOrPast256Mbit) {
    test::TempDir dir;
    const Bytes original = ImageOf(2 * kMbit);
    const std::string path = dir.Write("game.z64", original);
    EXPECT_EQ(Resize(path, 63), EngineResult::ErrFormat);
    EXPECT_EQ(Resize(path, 256 * kMbit + 1), EngineResult::ErrFormat);
    EXPECT_EQ(dir.Read("game.z64"), original);
    EXPECT_TRUE(IsResizeMbitAllowed(2));
    EXPECT_TRUE(IsResizeMbitAllowed(256));
    EXPECT_FALSE(IsResizeMbitAllowed(0));
    EXPECT_FALSE(IsResizeMbitAllowed(33));
    EXPECT_FALSE(IsResizeMbitAllowed(258));
}

TEST(ResizeImage, CancelAndFailuresRestoreTheFile) {
    const Bytes original = ImageOf(4 * kMbit);
    for (const int at : {0, 25, 50, 100}) {
        test::TempDir dir;
        const std::string path = dir.Write("game.z64", original);
        test::ProgressLog log;
        log.cancelAt = at;
        // Growing to 8 Mbit: the copy of the old 4 Mbit runs from 6 to 100.
        EXPECT_EQ(Resize(path, 8 * kMbit, BackupMode::Keep, log.Fn()), EngineResult::ErrCancelled);
        EXPECT_TRUE(log.StrictlyRising());
        EXPECT_EQ(dir.Read("game.z64"), original) << at;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
    }
    {
        test::TempDir dir;
        const std::string path = dir.Write("game.z64", original);
        {
            test::FileSizeLimit full(6 * kMbit); // the padding runs out of room
            EXPECT_EQ(Resize(path, 8 * kMbit), EngineResult::ErrFailed);
        }
        EXPECT_EQ(dir.Read("game.z64"), original);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
    }
    {
        test::TempDir dir;
        const std::string path = dir.Write("game.z64", original);
        {
            test::OpenFileLimit oneMore(1);
            EXPECT_EQ(Resize(path, 2 * kMbit, BackupMode::Keep), EngineResult::ErrOpen);
        }
        // Unlike a flip that leaves the data under the backup name, the file is back.
        EXPECT_EQ(dir.Read("game.z64"), original);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
    }
}

TEST(ResizeImage, ProgressIsTheShareOfTheOriginalFilePassed) {
    const Bytes original = ImageOf(4 * kMbit); // 16 blocks of 32768 bytes
    {
        // Cutting to 2 Mbit: 8 blocks to copy, K counts down from 2 Mbit, so
        // the first report already has (4 - 2 + 0.25) / 4 of the original behind it.
        test::TempDir dir;
        const std::string path = dir.Write("game.z64", original);
        test::ProgressLog log;
        ASSERT_EQ(Resize(path, 2 * kMbit, BackupMode::Temporary, log.Fn()), EngineResult::Ok);
        EXPECT_EQ(log.seen, (std::vector<int>{56, 62, 68, 75, 81, 87, 93, 100}));
    }
    {
        // Growing to 8 Mbit: 100 once the old bytes are copied; the padding adds nothing.
        test::TempDir dir;
        const std::string path = dir.Write("game.z64", original);
        test::ProgressLog log;
        ASSERT_EQ(Resize(path, 8 * kMbit, BackupMode::Temporary, log.Fn()), EngineResult::Ok);
        EXPECT_EQ(log.seen, (std::vector<int>{6, 12, 18, 25, 31, 37, 43, 50, 56, 62, 68, 75, 81, 87, 93, 100}));
        EXPECT_EQ(dir.Read("game.z64").size(), static_cast<std::size_t>(8 * kMbit));
    }
}

TEST(ResizeImage, RefusesOtherKinds) {
    test::TempDir dir;
    const Bytes compressed = samples::MakeCompressedImage({});
    EXPECT_EQ(Resize(dir.Write("c.z64", compressed), 2 * kMbit), EngineResult::ErrFailed);
    EXPECT_EQ(dir.Read("c.z64"), compressed);
    EXPECT_EQ(Resize(dir.Write("x.bak", ImageOf(kMbit)), 2 * kMbit), EngineResult::ErrBackup);
}

TEST(ResizeImage, LockedFolderIsRefusedBeforeAnyChange) {
    test::TempDir dir;
    const Bytes original = ImageOf(kMbit);
    const std::string path = dir.Write("game.z64", original);
    test::ReadOnlyFolder locked(dir.Path());
    if (!locked.Locked()) GTEST_SKIP() << "cannot make a folder read-only here";
    EXPECT_EQ(Resize(path, 2 * kMbit, BackupMode::NoneInPlace), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("game.z64"), original);
}

} // namespace
} // namespace q64
