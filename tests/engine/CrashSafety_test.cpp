// Every changing operation, killed at each step of the file change: the file
// holds its old or its new content, and the next run finishes the job.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/BiosParameters.h"
#include "engine/ByteOrder.h"
#include "engine/Checksum.h"
#include "engine/Compression.h"
#include "engine/Dx256File.h"
#include "engine/FileChange.h"
#include "engine/IpsPatch.h"
#include "engine/Resize.h"
#include "engine/RomImage.h"
#include "engine/Title.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;

struct Operation {
    const char* name;
    const char* file;     // the file the operation changes
    Bytes (*make)();      // its content before
    std::function<EngineResult(const std::string& dir, const std::string& path, BackupMode mode)> run;
};

Bytes SmallImage() {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 1052672;
    return samples::MakeImage(recipe);
}
Bytes SmallCompressed() {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 1052672;
    return samples::MakeCompressedImage(recipe);
}

EngineResult OnImage(const std::string& path, const std::function<EngineResult(RomImage&)>& op) {
    RomImage image;
    if (image.Identify(path) != EngineResult::Ok) return EngineResult::ErrOpen;
    return op(image);
}

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {"title", "GAME.z64", SmallImage,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) { return EditTitle(i, m, "NEW TITLE"); });
         }},
        {"flip", "GAME.z64", SmallImage,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) { return FlipByteOrder(i, m, {}); });
         }},
        {"resize", "GAME.z64", SmallImage,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) { return ResizeImage(i, 2 * 131072 * 8, m, {}); });
         }},
        {"crc", "GAME.z64", SmallImage,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) -> EngineResult {
                 ChecksumValues v;
                 return CalcChecksum(i, m, ChecksumFix::Yes, v);
             });
         }},
        {"ips", "GAME.z64", SmallImage,
         [](const std::string& dir, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) { return ApplyIpsPatch(i, m, dir + "/fix.ips"); });
         }},
        {"compress", "GAME.z64", SmallImage,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) { return CompressImage(i, 6, m, {}); });
         }},
        {"decompress", "GAME.z64", SmallCompressed,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) { return DecompressImage(i, m, {}); });
         }},
        {"bios", "DRJR.BIN", samples::MakeBios,
         [](const std::string&, const std::string& p, BackupMode m) {
             return OnImage(p, [&](RomImage& i) -> EngineResult {
                 return SetBiosParameters(i, m, BiosColour{0x20, 0x30, ColourComponent::Green}, BiosPosition{7, 9});
             });
         }},
        {"dxd", "SAVE.DXD", [] { return Bytes{'A', '0', '1', ' ', 'o', 'l', 'd', '\r', '\n'}; },
         [](const std::string& dir, const std::string&, BackupMode m) {
             Dx256Image dx;
             if (dx.LoadDx256(dir + "/SAVE.DX2") != Dx256LoadResult::Loaded) return EngineResult::ErrOpen;
             if (dx.SetRoomDescription(1, 1, "renamed room") != EngineResult::Ok) return EngineResult::ErrFailed;
             return dx.SaveDescriptions(m);
         }},
    };
    return operations;
}

void Prepare(const test::TempDir& dir, const Operation& op) {
    dir.Write(op.file, op.make());
    dir.Write("fix.ips", samples::MakeIps({{0x1000, {1, 2, 3}}, {0x100000, {9}, 300}}));
    dir.Write("SAVE.DX2", samples::MakeDx256WithRooms({{1, 1}}));
}

// Runs `op` in a child killed at the `killAt`-th step of the file change.
// True when the child was killed; false when it finished first.
bool RunKilledAt(const test::TempDir& dir, const Operation& op, BackupMode mode, int killAt) {
    const pid_t child = ::fork();
    if (child == 0) {
        int steps = 0;
        SetFileChangeStepHook([&](FileChangeStep) {
            if (++steps == killAt) ::raise(SIGKILL);
        });
        op.run(dir.Path(), dir.File(op.file), mode);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class CrashSafety : public ::testing::TestWithParam<std::tuple<std::size_t, BackupMode>> {};

TEST_P(CrashSafety, KilledAtAnyStepLeavesOldOrNewAndTheNextRunFinishes) {
    const Operation& op = Operations()[std::get<0>(GetParam())];
    const BackupMode mode = std::get<1>(GetParam());
    test::TempDir expected;
    Prepare(expected, op);
    const Bytes before = expected.Read(op.file);
    ASSERT_EQ(op.run(expected.Path(), expected.File(op.file), mode), EngineResult::Ok) << op.name;
    const Bytes after = expected.Read(op.file);

    int killed = 0;
    for (int step = 1; step < 100; ++step) {
        test::TempDir dir;
        Prepare(dir, op);
        if (!RunKilledAt(dir, op, mode, step)) break;
        ++killed;
        const Bytes now = dir.Read(op.file);
        ASSERT_TRUE(now == before || now == after) << op.name << " killed at step " << step;
        if (now == before) {
            ASSERT_EQ(op.run(dir.Path(), dir.File(op.file), mode), EngineResult::Ok) << op.name << " step " << step;
            EXPECT_TRUE(dir.Read(op.file) == after) << op.name << " step " << step;
        }
        for (const std::string& name : dir.Names())
            EXPECT_EQ(name.find(".q64~"), std::string::npos) << op.name << ": leftover " << name;
    }
    if (mode != BackupMode::NoneInPlace) {
        EXPECT_GT(killed, 0) << op.name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllOperations, CrashSafety,
                         ::testing::Combine(::testing::Range<std::size_t>(0, 9),
                                            ::testing::Values(BackupMode::Temporary, BackupMode::Keep,
                                                              BackupMode::NoneInPlace)),
                         [](const auto& info) {
                             const int mode = static_cast<int>(std::get<1>(info.param));
                             return std::string(Operations()[std::get<0>(info.param)].name) + "_mode" +
                                    std::to_string(mode);
                         });

} // namespace
} // namespace q64
