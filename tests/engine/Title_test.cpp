#include <gtest/gtest.h>

#include "engine/RomImage.h"
#include "engine/SampleFiles.h"
#include "engine/Title.h"
#include "OperationFixtures.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

EngineResult Retitle(const std::string& path, const std::string& text, BackupMode mode = BackupMode::Temporary) {
    RomImage image;
    if (image.Identify(path) != EngineResult::Ok) return EngineResult::ErrFormat;
    return EditTitle(image, mode, text);
}

std::string TitleOf(const std::string& path) {
    RomImage image;
    return image.Identify(path) == EngineResult::Ok ? image.Title() : "?";
}

TEST(EditTitle, PadsWithSpacesInTheFilesOwnOrder) {
    test::TempDir dir;
    const Bytes big = samples::MakeImage({});
    const std::string bigPath = dir.Write("big.z64", big);
    const std::string swappedPath = dir.Write("swapped.v64", samples::SwapPairs(big));
    ASSERT_EQ(Retitle(bigPath, "HELLO"), EngineResult::Ok);
    ASSERT_EQ(Retitle(swappedPath, "HELLO"), EngineResult::Ok);
    const Bytes a = dir.Read("big.z64");
    const Bytes b = dir.Read("swapped.v64");
    EXPECT_EQ(std::string(a.begin() + 0x20, a.begin() + 0x34), "HELLO               ");
    EXPECT_EQ(std::string(b.begin() + 0x20, b.begin() + 0x34), "EHLL O              ");
    EXPECT_EQ(TitleOf(bigPath), "HELLO");
    EXPECT_EQ(TitleOf(swappedPath), "HELLO");
    // Only the title bytes changed.
    Bytes expected = big;
    std::copy(a.begin() + 0x20, a.begin() + 0x34, expected.begin() + 0x20);
    EXPECT_TRUE(a == expected);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"big.z64", "swapped.v64"}));
}

TEST(EditTitle, WorksOnCompressedImagesAndKeepsTheTextUntrimmed) {
    test::TempDir dir;
    const std::string path = dir.Write("c.z64", samples::MakeCompressedImage({}));
    ASSERT_EQ(Retitle(path, "  TWENTY CHARS LONG!", BackupMode::Keep), EngineResult::Ok);
    EXPECT_EQ(TitleOf(path), "  TWENTY CHARS LONG!");
    EXPECT_TRUE(dir.Exists("c.bak"));
}

TEST(EditTitle, RefusesLongTextsAndNonImagesWithoutTouchingThem) {
    test::TempDir dir;
    const Bytes image = samples::MakeImage({});
    const std::string path = dir.Write("game.z64", image);
    EXPECT_EQ(Retitle(path, "TWENTY-ONE CHARACTERS"), EngineResult::ErrFormat);
    EXPECT_EQ(dir.Read("game.z64"), image);
    const Bytes bios = samples::MakeBios();
    EXPECT_EQ(Retitle(dir.Write("bios.bin", bios), "X"), EngineResult::ErrFailed);
    EXPECT_EQ(dir.Read("bios.bin"), bios);
    EXPECT_EQ(Retitle(dir.Write("game.bak", image), "X"), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("game.bak"), image);
}

TEST(EditTitle, FailuresRestoreTheFileAndMode3MakesNoBackup) {
    test::TempDir dir;
    const Bytes image = samples::MakeImage({});
    const std::string path = dir.Write("game.z64", image);
    {
        test::FileSizeLimit full(1000);
        EXPECT_EQ(Retitle(path, "NEW"), EngineResult::ErrFailed);
    }
    EXPECT_EQ(dir.Read("game.z64"), image);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
    ASSERT_EQ(Retitle(path, "NEW", BackupMode::NoneInPlace), EngineResult::Ok);
    EXPECT_EQ(TitleOf(path), "NEW");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"game.z64"});
}

TEST(EditTitle, LockedFolderNeedsMode3) {
    test::TempDir dir;
    const Bytes image = samples::MakeImage({});
    const std::string path = dir.Write("game.z64", image);
    test::ReadOnlyFolder locked(dir.Path());
    if (!locked.Locked()) GTEST_SKIP() << "cannot make a folder read-only here";
    EXPECT_EQ(Retitle(path, "NEW", BackupMode::Keep), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("game.z64"), image);
    // Without a backup the file itself is changed where it is.
    EXPECT_EQ(Retitle(path, "NEW", BackupMode::NoneInPlace), EngineResult::Ok);
    EXPECT_EQ(TitleOf(path), "NEW");
}

} // namespace
} // namespace q64
