// The one way files are changed: backups, links, permissions, leftovers, pipes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/Backup.h"
#include "engine/Dx256File.h"
#include "engine/IpsPatch.h"
#include "engine/RomImage.h"
#include "engine/FileChange.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

const samples::Bytes kOld = {1, 2, 3, 4, 5};
const std::string kNew = "new content";

bool Rewrite(const std::string& path, BackupMode mode, std::string* message = nullptr) {
    FileChange change;
    EngineResult result = change.BeginRewrite(path, mode);
    if (result == EngineResult::Ok) {
        std::fwrite(kNew.data(), 1, kNew.size(), change.Out());
        result = change.Commit();
    }
    if (message) *message = change.Message();
    return result == EngineResult::Ok;
}

samples::Bytes NewBytes() { return samples::Bytes(kNew.begin(), kNew.end()); }

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(BackupNames, ReplaceTheExtension) {
    EXPECT_EQ(BackupPathFor("/roms/GAME.V64", BackupMode::Keep), "/roms/GAME.bak");
    EXPECT_EQ(BackupPathFor("/roms/GAME.V64", BackupMode::Temporary), "/roms/GAME._bb");
    EXPECT_EQ(BackupPathFor("/roms/GAME  .V64", BackupMode::Keep), "/roms/GAME.bak");
    EXPECT_EQ(BackupPathFor("/ro.ms/GAME", BackupMode::Keep), "/ro.ms/GAME.bak");
    EXPECT_TRUE(IsBackupPath("/roms/game.BAK"));
    EXPECT_FALSE(IsBackupPath("/roms.bak/game"));
}

// A file's backup is NAME.bak alone and FULLNAME.bak beside a file of the
// same stem, so no two files of a folder ever share a backup.
TEST(BackupNames, KeptBackupsNeverCollide) {
    struct Case {
        std::string name;
        std::vector<std::string> folder;
        std::string backup;
    };
    for (const Case& c : std::vector<Case>{
             {"Game.z64", {"Game.z64", "Other.v64"}, "Game.bak"},
             {"Game.z64", {"Game.z64", "Game.v64"}, "Game.z64.bak"},
             {"Game.v64", {"Game.z64", "GAME.N64"}, "Game.v64.bak"},      // any letter case
             {"Game.z64", {"Game.bak", "Game._bb", ".Game.z64.q64~x"}, "Game.bak"}, // backups do not count
             {"Game.z64", {"Game.z64.v64"}, "Game.bak"},                 // takes FULLNAME.bak itself
             {"Game.z64", {"Game"}, "Game.z64.bak"},                     // whose FULLNAME.bak is ours
             {"Game.z64.v64", {"Game.z64"}, "Game.z64.v64.bak"},
             {"Game  .z64", {}, "Game.bak"},
             {"Game", {"Game.z64"}, "Game.bak"},
         })
        EXPECT_EQ(KeptBackupNameAmong(c.name, c.folder), c.backup) << c.name;

    test::TempDir dir;
    dir.Write("Game.z64", kOld);
    dir.Write("Game.v64", kOld);
    ASSERT_TRUE(Rewrite(dir.File("Game.z64"), BackupMode::Keep));
    ASSERT_TRUE(Rewrite(dir.File("Game.v64"), BackupMode::Keep));
    EXPECT_EQ(dir.Read("Game.z64.bak"), kOld);
    EXPECT_EQ(dir.Read("Game.v64.bak"), kOld);
    EXPECT_FALSE(dir.Exists("Game.bak"));
}

struct ModeCase {
    BackupMode mode;
    bool keepsBackup;
};

class FileChangeModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(FileChangeModes, RewriteLeavesOnlyTheBackupTheModePromises) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    dir.Write("GAME.bak", {9}); // an older backup
    ASSERT_TRUE(Rewrite(path, GetParam().mode));
    EXPECT_EQ(dir.Read("GAME.z64"), NewBytes());
    EXPECT_EQ(dir.Read("GAME.bak"), GetParam().keepsBackup ? kOld : samples::Bytes{9});
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.bak", "GAME.z64"}));
}

TEST_P(FileChangeModes, RollbackLeavesEverythingAsItWas) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    dir.Write("GAME.bak", {9});
    {
        FileChange change;
        ASSERT_EQ(change.BeginInPlace(path, GetParam().mode), EngineResult::Ok);
        if (GetParam().mode != BackupMode::NoneInPlace) {
            const std::uint8_t x = 0xEE;
            ASSERT_TRUE(change.WriteAt(0, &x, 1));
        }
    } // dropped without Commit
    EXPECT_EQ(dir.Read("GAME.z64"), kOld);
    EXPECT_EQ(dir.Read("GAME.bak"), samples::Bytes{9});
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.bak", "GAME.z64"}));
}

TEST_P(FileChangeModes, InPlaceWritesOneRegionAndKeepsTheRest) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    FileChange change;
    ASSERT_EQ(change.BeginInPlace(path, GetParam().mode), EngineResult::Ok);
    const std::uint8_t bytes[2] = {0xAA, 0xBB};
    ASSERT_TRUE(change.WriteAt(1, bytes, 2));
    ASSERT_EQ(change.Commit(), EngineResult::Ok);
    EXPECT_EQ(dir.Read("GAME.z64"), (samples::Bytes{1, 0xAA, 0xBB, 4, 5}));
    EXPECT_EQ(dir.Exists("GAME.bak"), GetParam().keepsBackup);
}

TEST_P(FileChangeModes, SymbolicLinkStaysALinkAndItsTargetChanges) {
    test::TempDir dir;
    ::mkdir(dir.File("real").c_str(), 0755);
    const std::string real = dir.Write("real/GAME.z64", kOld);
    ASSERT_EQ(::symlink("real/GAME.z64", dir.File("link.z64").c_str()), 0);
    ASSERT_TRUE(Rewrite(dir.File("link.z64"), GetParam().mode));
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("link.z64").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(dir.Read("real/GAME.z64"), NewBytes());
    EXPECT_EQ(dir.Exists("real/GAME.bak"), GetParam().keepsBackup);
}

TEST_P(FileChangeModes, PermissionsAreKept) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    ::chmod(path.c_str(), 0600);
    ASSERT_TRUE(Rewrite(path, GetParam().mode));
    EXPECT_EQ(ModeOf(path), 0600u);
    if (GetParam().keepsBackup) {
        EXPECT_EQ(ModeOf(dir.File("GAME.bak")), 0600u);
    }
}

TEST_P(FileChangeModes, OwnerIsKeptWhenRootChangesAUsersFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(Rewrite(path, GetParam().mode));
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
}

TEST_P(FileChangeModes, ReadOnlyFileIsRefusedEvenForRoot) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    ::chmod(path.c_str(), 0444);
    std::string message;
    EXPECT_FALSE(Rewrite(path, GetParam().mode, &message));
    EXPECT_EQ(message, "Unable to Open File for Write");
    EXPECT_EQ(dir.Read("GAME.z64"), kOld);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"GAME.z64"});
}

TEST_P(FileChangeModes, LeftoverTemporaryBackupIsNeverDeletedAndBlocksTheChange) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", {0});
    dir.Write("GAME._bb", kOld);
    std::string message;
    EXPECT_FALSE(Rewrite(path, GetParam().mode, &message));
    EXPECT_NE(message.find("GAME._bb"), std::string::npos);
    EXPECT_EQ(dir.Read("GAME._bb"), kOld);
    EXPECT_EQ(dir.Read("GAME.z64"), samples::Bytes{0});
}

INSTANTIATE_TEST_SUITE_P(Modes, FileChangeModes,
                         ::testing::Values(ModeCase{BackupMode::Temporary, false}, ModeCase{BackupMode::Keep, true},
                                           ModeCase{BackupMode::NoneInPlace, false}));

TEST(FileChange, LinkNamedLikeItsOwnBackupIsRefused) {
    test::TempDir dir;
    dir.Write("GAME.bak", kOld);
    ASSERT_EQ(::symlink("GAME.bak", dir.File("GAME.z64").c_str()), 0);
    for (const BackupMode mode : {BackupMode::Temporary, BackupMode::Keep, BackupMode::NoneInPlace}) {
        EXPECT_FALSE(Rewrite(dir.File("GAME.z64"), mode));
        EXPECT_EQ(dir.Read("GAME.bak"), kOld);
    }
}

TEST(FileChange, HardLinksAreRefusedExceptForInPlaceWritesWithoutBackup) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    ASSERT_EQ(::link(path.c_str(), dir.File("other.z64").c_str()), 0);
    std::string message;
    EXPECT_FALSE(Rewrite(path, BackupMode::Keep, &message));
    EXPECT_NE(message.find("hard links"), std::string::npos);
    FileChange change;
    ASSERT_EQ(change.BeginInPlace(path, BackupMode::NoneInPlace), EngineResult::Ok);
    const std::uint8_t x = 9;
    ASSERT_TRUE(change.WriteAt(0, &x, 1));
    ASSERT_EQ(change.Commit(), EngineResult::Ok);
    EXPECT_EQ(dir.Read("other.z64")[0], 9); // still one file under two names
}

TEST(FileChange, DirectWriteRefusesAFileReplacedMeanwhile) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    FileChange change;
    ASSERT_EQ(change.BeginInPlace(path, BackupMode::NoneInPlace), EngineResult::Ok);
    dir.Write("other", {7, 7});
    ASSERT_EQ(::rename(dir.File("other").c_str(), path.c_str()), 0);
    const std::uint8_t x = 9;
    EXPECT_FALSE(change.WriteAt(0, &x, 1));
    EXPECT_EQ(dir.Read("GAME.z64"), (samples::Bytes{7, 7}));
}

TEST(FileChange, LeftoverTemporariesOfKilledRunsGoButLockedOnesStay) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    dir.Write(".GAME.z64.q64~Ab12Cd", {1});
    dir.Write(".GAME.z64.part-XyZ123", {1});
    dir.Write(".notes.q64~", {1}); // not a name this program makes
    const std::string busy = dir.Write(".x.q64~BUSY01", {1});
    const int fd = ::open(busy.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ASSERT_TRUE(Rewrite(path, BackupMode::Temporary));
    ::close(fd);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{".notes.q64~", ".x.q64~BUSY01", "GAME.z64"}));
}

TEST(FileChange, NewFileRespectsExistingFilesAndChecksTheTargetFirst) {
    test::TempDir dir;
    std::string message;
    EXPECT_EQ(WriteWholeFile(dir.File("a.txt"), "one", ExistingFile::Refuse, message), EngineResult::Ok);
    EXPECT_EQ(WriteWholeFile(dir.File("a.txt"), "two", ExistingFile::Refuse, message), EngineResult::ErrFailed);
    EXPECT_NE(message.find("already exists"), std::string::npos);
    EXPECT_EQ(dir.Read("a.txt"), (samples::Bytes{'o', 'n', 'e'}));
    ::chmod(dir.File("a.txt").c_str(), 0640);
    EXPECT_EQ(WriteWholeFile(dir.File("a.txt"), "two", ExistingFile::Replace, message), EngineResult::Ok);
    EXPECT_EQ(ModeOf(dir.File("a.txt")), 0640u);

    ::mkdir(dir.File("folder").c_str(), 0755);
    EXPECT_EQ(WriteWholeFile(dir.File("folder"), "x", ExistingFile::Replace, message), EngineResult::ErrOpen);
    EXPECT_NE(message.find("is a folder"), std::string::npos);
    EXPECT_EQ(WriteWholeFile(dir.File(std::string(300, 'n')), "x", ExistingFile::Replace, message),
              EngineResult::ErrOpen);
    EXPECT_NE(message.find("too long"), std::string::npos);
    // A name just under the limit still gets a temporary name that fits.
    EXPECT_EQ(WriteWholeFile(dir.File(std::string(250, 'n')), "x", ExistingFile::Replace, message), EngineResult::Ok);
}

TEST(FileChange, PipesAreNeverOpenedForReading) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    std::string message;
    EXPECT_EQ(OpenForReading(dir.File("pipe"), message), nullptr); // would block without O_NONBLOCK
    EXPECT_NE(message.find("not a regular file"), std::string::npos);
    FileChange change;
    EXPECT_EQ(change.BeginRewrite(dir.File("pipe"), BackupMode::Temporary), EngineResult::ErrOpen);
    // A patch or description file that is a pipe is refused, never waited on.
    const std::string image = dir.Write("GAME.z64", samples::MakeImage({}));
    RomImage rom;
    ASSERT_EQ(rom.Identify(image), EngineResult::Ok);
    EXPECT_EQ(ApplyIpsPatch(rom, BackupMode::Temporary, dir.File("pipe")), EngineResult::ErrOpen);
    dir.Write("SAVE.DX2", samples::MakeDx256WithRooms({{1, 1}}));
    ASSERT_EQ(::mkfifo(dir.File("SAVE.DXD").c_str(), 0600), 0);
    Dx256Image dx;
    ASSERT_EQ(dx.LoadDx256(dir.File("SAVE.DX2")), Dx256LoadResult::Loaded);
    ASSERT_EQ(dx.SetRoomDescription(1, 1, "x"), EngineResult::Ok);
    EXPECT_NE(dx.SaveDescriptions(BackupMode::Temporary), EngineResult::Ok);
}

TEST(FileChange, FullDiskIsNamedAndLeavesTheFile) {
    // A child mounts a 64 KiB tmpfs in a mount namespace of its own (root only).
    test::TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("q64test", dir.Path().c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(77);
        std::string message;
        if (WriteWholeFile(dir.File("old.z64"), "old", ExistingFile::Refuse, message) != EngineResult::Ok) ::_exit(2);
        const EngineResult result =
            WriteWholeFile(dir.File("old.z64"), std::string(1 << 20, 'x'), ExistingFile::Replace, message);
        const bool named = message.find("the disk is full") != std::string::npos;
        std::FILE* f = std::fopen(dir.File("old.z64").c_str(), "rb");
        char text[4] = {};
        const bool kept = f && std::fread(text, 1, 3, f) == 3 && std::string(text) == "old";
        ::_exit(result == EngineResult::ErrFailed && named && kept ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(FileChange, StepsComeInOrder) {
    test::TempDir dir;
    const std::string path = dir.Write("GAME.z64", kOld);
    std::vector<FileChangeStep> steps;
    SetFileChangeStepHook([&](FileChangeStep step) { steps.push_back(step); });
    ASSERT_TRUE(Rewrite(path, BackupMode::Keep));
    SetFileChangeStepHook({});
    EXPECT_EQ(steps, (std::vector<FileChangeStep>{FileChangeStep::TemporaryCreated, FileChangeStep::TemporarySynced,
                                                  FileChangeStep::BackupMade, FileChangeStep::Replaced,
                                                  FileChangeStep::FolderSynced}));
}

} // namespace
} // namespace q64
