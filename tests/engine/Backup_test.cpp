// The backup protocol and the two styles of change built on it.
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Backup.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

const samples::Bytes kContent = {1, 2, 3, 4, 5};

TEST(MakeBackupTest, NamesReplaceTheExtension) {
    EXPECT_EQ(BackupPathFor("/roms/GAME.V64", BackupMode::Keep), "/roms/GAME.bak");
    EXPECT_EQ(BackupPathFor("/roms/GAME.V64", BackupMode::Temporary), "/roms/GAME._bb");
    EXPECT_EQ(BackupPathFor("/roms/GAME  .V64", BackupMode::Keep), "/roms/GAME.bak");
    EXPECT_EQ(BackupPathFor("/ro.ms/GAME", BackupMode::Keep), "/ro.ms/GAME.bak");
    EXPECT_TRUE(IsBackupPath("/roms/game.BAK"));
    EXPECT_FALSE(IsBackupPath("/roms.bak/game"));
}

TEST(MakeBackupTest, RenamesAndReplacesAnOlderBackup) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.V64", kContent);
    dir.Write("GAME.bak", {9});
    std::string backup;
    ASSERT_EQ(MakeBackup(path, BackupMode::Keep, backup), EngineResult::Ok);
    EXPECT_EQ(backup, dir.File("GAME.bak"));
    EXPECT_FALSE(dir.Exists("GAME.V64"));
    EXPECT_EQ(dir.Read("GAME.bak"), kContent);
}

TEST(MakeBackupTest, RefusesBakFilesAndFilesNamedLikeTheirBackup) {
    test::TempDir dir;
    const std::string bak = dir.Write("GAME.bak", kContent);
    const std::string bb = dir.Write("GAME._bb", kContent);
    std::string backup;
    EXPECT_EQ(MakeBackup(bak, BackupMode::Keep, backup), EngineResult::ErrFailed);
    EXPECT_EQ(MakeBackup(bb, BackupMode::Temporary, backup), EngineResult::ErrFailed);
    EXPECT_EQ(dir.Read("GAME.bak"), kContent);
    EXPECT_EQ(dir.Read("GAME._bb"), kContent);
    EXPECT_EQ(MakeBackup(dir.File("none.z64"), BackupMode::Keep, backup), EngineResult::ErrFailed);
}

class InPlaceTest : public ::testing::TestWithParam<BackupMode> {};

TEST_P(InPlaceTest, CommitKeepsBackupOnlyInKeepMode) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.V64", kContent);
    InPlaceChange change;
    ASSERT_EQ(change.Begin(path, GetParam()), EngineResult::Ok);
    samples::WriteFile(path, {7, 7});
    change.Commit();
    EXPECT_EQ(dir.Read("GAME.V64"), (samples::Bytes{7, 7}));
    EXPECT_EQ(dir.Exists("GAME.bak"), GetParam() == BackupMode::Keep);
    EXPECT_FALSE(dir.Exists("GAME._bb"));
}

TEST_P(InPlaceTest, RollbackRestoresTheOriginal) {
    if (GetParam() == BackupMode::NoneInPlace) GTEST_SKIP() << "no backup to restore from";
    test::TempDir dir;
    const std::string path = dir.Write("GAME.V64", kContent);
    {
        InPlaceChange change;
        ASSERT_EQ(change.Begin(path, GetParam()), EngineResult::Ok);
        samples::WriteFile(path, {7, 7});
    } // destroyed without Commit
    EXPECT_EQ(dir.Read("GAME.V64"), kContent);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"GAME.V64"});
}

INSTANTIATE_TEST_SUITE_P(Modes, InPlaceTest,
                         ::testing::Values(BackupMode::Temporary, BackupMode::Keep, BackupMode::NoneInPlace));

TEST(InPlaceChangeTest, BakFileIsNeverChanged) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.bak", kContent);
    InPlaceChange change;
    EXPECT_EQ(change.Begin(path, BackupMode::NoneInPlace), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("GAME.bak"), kContent);
}

TEST(RewriteChangeTest, CommitAndRollback) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.V64", kContent);
    {
        RewriteChange change;
        ASSERT_EQ(change.Begin(path, BackupMode::NoneInPlace), EngineResult::Ok); // acts like Temporary
        std::fputs("partial", change.Out());
        change.Rollback();
    }
    EXPECT_EQ(dir.Read("GAME.V64"), kContent);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"GAME.V64"});

    RewriteChange change;
    ASSERT_EQ(change.Begin(path, BackupMode::Keep), EngineResult::Ok);
    unsigned char buffer[16];
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, change.In());
    std::fwrite(buffer, 1, n, change.Out());
    std::fputc(6, change.Out());
    ASSERT_EQ(change.Commit(), EngineResult::Ok);
    EXPECT_EQ(dir.Read("GAME.V64"), (samples::Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(dir.Read("GAME.bak"), kContent);
}

TEST(RewriteChangeTest, UnwritableFolderLeavesTheFileInPlace) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    test::TempDir dir;
    const std::string path = dir.Write("GAME.V64", kContent);
    ::chmod(dir.Path().c_str(), 0500);
    RewriteChange change;
    EXPECT_EQ(change.Begin(path, BackupMode::Temporary), EngineResult::ErrBackup);
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(dir.Read("GAME.V64"), kContent);
}

} // namespace
} // namespace q64
