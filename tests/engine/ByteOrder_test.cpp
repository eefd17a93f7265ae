#include <gtest/gtest.h>

#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "OperationFixtures.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

EngineResult Flip(const std::string& path, BackupMode mode = BackupMode::Temporary, const ProgressFn& progress = {}) {
    RomImage image;
    if (image.Identify(path) != EngineResult::Ok) return EngineResult::ErrFormat;
    return FlipByteOrder(image, mode, progress);
}

TEST(SwapBytePairs, EveryLengthSwapsPairsAndKeepsAnOddLastByte) {
    for (std::size_t length = 0; length <= 19; ++length) {
        Bytes bytes(length);
        for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i + 1);
        SwapBytePairs(bytes.data(), bytes.size());
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t from = (i % 2 == 0) ? (i + 1 < length ? i + 1 : i) : i - 1;
            ASSERT_EQ(bytes[i], from + 1) << "length " << length << " byte " << i;
        }
    }
}

TEST(FlipByteOrder, SwapsEveryPairAndTwiceGivesTheFileBack) {
    test::TempDir dir;
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 3 * 32768 + 1000; // several chunks and a partial one
    const Bytes original = samples::MakeImage(recipe);
    const std::string path = dir.Write("game.z64", original);
    ASSERT_EQ(Flip(path), EngineResult::Ok);
    EXPECT_EQ(dir.Read("game.z64"), samples::SwapPairs(original));
    RomImage image;
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(image.ByteOrder(), ImageFormat::ByteSwapped);
    EXPECT_EQ(image.Title(), "QUORVEL SAMPLE");
    ASSERT_EQ(Flip(path), EngineResult::Ok);
    EXPECT_EQ(dir.Read("game.z64"), original);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
}

TEST(FlipByteOrder, NameFollowsTheOrderWhenItEndsInAnImageExtension) {
    EXPECT_EQ(NameForOrder("/r/GAME.z64", ImageFormat::ByteSwapped), "/r/GAME.v64");
    EXPECT_EQ(NameForOrder("/r/GAME.V64", ImageFormat::BigEndian), "/r/GAME.Z64");
    EXPECT_EQ(NameForOrder("/r/Game.n64", ImageFormat::BigEndian), "/r/Game.z64");
    EXPECT_EQ(NameForOrder("/r/Game.z64", ImageFormat::BigEndian), "");
    EXPECT_EQ(NameForOrder("/r/Game.rom", ImageFormat::ByteSwapped), "");
    EXPECT_EQ(NameForOrder("/r.z64/Game", ImageFormat::ByteSwapped), "");

    test::TempDir dir;
    const samples::Bytes original = samples::MakeImage({});
    dir.Write("Game.z64", original);
    RomImage image;
    ASSERT_EQ(image.Identify(dir.File("Game.z64")), EngineResult::Ok);
    ASSERT_EQ(FlipByteOrder(image, BackupMode::Temporary, {}, NameFollows::Yes), EngineResult::Ok);
    EXPECT_EQ(image.RenamedTo(), dir.File("Game.v64"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Game.v64"});
    EXPECT_EQ(dir.Read("Game.v64"), samples::SwapPairs(original));
    // A name already taken: refused, nothing touched.
    dir.Write("Game.z64", original);
    std::vector<std::string> said;
    ASSERT_EQ(image.Identify(dir.File("Game.v64")), EngineResult::Ok);
    image.SetMessageSink([&](const std::string& text) { said.push_back(text); });
    EXPECT_EQ(FlipByteOrder(image, BackupMode::Keep, {}, NameFollows::Yes), EngineResult::ErrFailed);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].rfind("Game.z64 already exists", 0), 0u) << said[0];
    EXPECT_EQ(dir.Read("Game.z64"), original);
    EXPECT_EQ(dir.Read("Game.v64"), samples::SwapPairs(original));
    EXPECT_EQ(dir.Names().size(), 2u);
}

TEST(FlipByteOrder, OddLastByteStaysWhereItIs) {
    test::TempDir dir;
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 32768 + 5;
    const Bytes original = samples::MakeImage(recipe);
    ASSERT_EQ(Flip(dir.Write("odd.z64", original)), EngineResult::Ok);
    const Bytes flipped = dir.Read("odd.z64");
    ASSERT_EQ(flipped.size(), original.size());
    EXPECT_EQ(flipped.back(), original.back());
    EXPECT_EQ(flipped[32768 + 3], original[32768 + 2]);
}

TEST(FlipByteOrder, ChecksumsReadTheSameAfterTheFlip) {
    test::TempDir dir;
    const std::string path = dir.Write("game.z64", samples::MakeImage({}));
    RomImage image;
    ChecksumValues before, after;
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    ASSERT_EQ(CalcChecksum(image, BackupMode::Keep, ChecksumFix::No, before), EngineResult::Ok);
    ASSERT_EQ(Flip(path), EngineResult::Ok);
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    ASSERT_EQ(CalcChecksum(image, BackupMode::Keep, ChecksumFix::No, after), EngineResult::Ok);
    EXPECT_EQ(before.new1, after.new1);
    EXPECT_EQ(before.new2, after.new2);
}

TEST(FlipByteOrder, ProgressRisesByWholePercentsAndMode1KeepsTheBackup) {
    test::TempDir dir;
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 8 * 1048576;
    const Bytes original = samples::MakeImage(recipe);
    const std::string path = dir.Write("game.v64", original);
    test::ProgressLog log;
    ASSERT_EQ(Flip(path, BackupMode::Keep, log.Fn()), EngineResult::Ok);
    EXPECT_TRUE(log.StrictlyRising());
    ASSERT_FALSE(log.seen.empty());
    EXPECT_EQ(log.seen.back(), 100);
    EXPECT_EQ(log.seen.size(), 101u); // 256 chunks: each whole percent 0..100 once
    EXPECT_EQ(dir.Read("game.bak"), original);
}

TEST(FlipByteOrder, CancelAtAnyPointRestoresTheFile) {
    for (const int at : {0, 1, 37, 99, 100}) {
        for (const BackupMode mode : {BackupMode::Temporary, BackupMode::Keep, BackupMode::NoneInPlace}) {
            test::TempDir dir;
            samples::ImageRecipe recipe;
            recipe.sizeBytes = 4 * 1048576;
            const Bytes original = samples::MakeImage(recipe);
            const std::string path = dir.Write("game.z64", original);
            test::ProgressLog log;
            log.cancelAt = at;
            EXPECT_EQ(Flip(path, mode, log.Fn()), EngineResult::ErrCancelled) << at;
            EXPECT_EQ(dir.Read("game.z64"), original) << at;
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"}) << at; // no .bak remains
        }
    }
}

TEST(FlipByteOrder, WriteFailureRestoresTheFile) {
    test::TempDir dir;
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 1048576;
    const Bytes original = samples::MakeImage(recipe);
    const std::string path = dir.Write("game.z64", original);
    std::string message;
    RomImage image;
    image.SetMessageSink([&](const std::string& text) { message = text; });
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    {
        test::FileSizeLimit full(300000);
        EXPECT_EQ(FlipByteOrder(image, BackupMode::Keep, {}), EngineResult::ErrFailed);
    }
    EXPECT_EQ(message, "Error Writing File");
    EXPECT_EQ(dir.Read("game.z64"), original);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
}

TEST(FlipByteOrder, OutputThatCannotBeCreatedLeavesTheFileUnderItsName) {
    test::TempDir dir;
    const Bytes original = samples::MakeImage({});
    const std::string path = dir.Write("game.z64", original);
    std::string message;
    RomImage image;
    image.SetMessageSink([&](const std::string& text) { message = text; });
    ASSERT_EQ(image.Identify(path), EngineResult::Ok);
    {
        test::OpenFileLimit oneMore(1); // the backup opens, the new file does not
        EXPECT_EQ(FlipByteOrder(image, BackupMode::Keep, {}), EngineResult::ErrOpen);
    }
    EXPECT_EQ(message, "Unable to Open File for Write");
    EXPECT_EQ(dir.Read("game.z64"), original);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
}

TEST(FlipByteOrder, RefusesOtherKindsBackupsAndLockedFolders) {
    test::TempDir dir;
    const Bytes compressed = samples::MakeCompressedImage({});
    EXPECT_EQ(Flip(dir.Write("c.z64", compressed)), EngineResult::ErrFailed);
    EXPECT_EQ(dir.Read("c.z64"), compressed);
    EXPECT_EQ(Flip(dir.Write("bios.bin", samples::MakeBios())), EngineResult::ErrFailed);
    const Bytes image = samples::MakeImage({});
    EXPECT_EQ(Flip(dir.Write("game.bak", image)), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("game.bak"), image);
    RomImage empty;
    EXPECT_EQ(FlipByteOrder(empty, BackupMode::Keep, {}), EngineResult::ErrNotLoaded);
    const std::string path = dir.Write("game.z64", image);
    test::ReadOnlyFolder locked(dir.Path());
    if (!locked.Locked()) GTEST_SKIP() << "cannot make a folder read-only here";
    EXPECT_EQ(Flip(path), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("game.z64"), image);
}

} // namespace
} // namespace q64
