#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "engine/IpsPatch.h"
#include "engine/RomImage.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

using samples::Bytes;
using samples::IpsRecord;

Bytes Tail(Bytes patch, std::initializer_list<std::uint8_t> extra) {
    patch.insert(patch.end(), extra);
    return patch;
}

// ---- reading patches --------------------------------------------------------

TEST(IpsParse, ReadsDataAndRunRecordsInOrder) {
    const Bytes patch = samples::MakeIps({{0x000010, {1, 2, 3}, 0}, {0x001000, {0xFF}, 4}, {0x2000, {0x55}, 0}});
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    ASSERT_EQ(plan.defect, IpsDefect::None);
    EXPECT_TRUE(plan.endMarker);
    EXPECT_FALSE(plan.newSize);
    ASSERT_EQ(plan.changes.size(), 3u);
    EXPECT_EQ(plan.changes[0].kind, IpsRecordKind::Data);
    EXPECT_EQ(plan.changes[0].offset, 0x10u);
    EXPECT_EQ(plan.changes[0].length, 3u);
    EXPECT_EQ(patch[plan.changes[0].dataAt], 1);
    EXPECT_EQ(plan.changes[1].kind, IpsRecordKind::Run);
    EXPECT_EQ(plan.changes[1].length, 4u);
    EXPECT_EQ(plan.changes[1].value, 0xFF);
    EXPECT_EQ(plan.changes[2].length, 1u);
}

TEST(IpsParse, RunOfZeroLengthWritesNothing) {
    // offset 0x000100, length 0, run 0, value 0xAA
    const Bytes patch = Tail({'P', 'A', 'T', 'C', 'H'}, {0, 1, 0, 0, 0, 0, 0, 0xAA, 'E', 'O', 'F'});
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    ASSERT_EQ(plan.defect, IpsDefect::None);
    ASSERT_EQ(plan.changes.size(), 1u);
    EXPECT_EQ(plan.changes[0].length, 0u);
    EXPECT_EQ(PatchedSize(plan, 16), 16u); // a run of nothing past the end does not grow the file
}

TEST(IpsParse, RefusesWhatIsNotAPatch) {
    for (const Bytes& bytes : {Bytes{}, Bytes{'P', 'A', 'T', 'C'}, Bytes{'P', 'A', 'T', 'C', 'X', 'E', 'O', 'F'},
                               Bytes{'p', 'a', 't', 'c', 'h', 'E', 'O', 'F'}}) {
        const IpsPlan plan = ParseIpsPatch(bytes.data(), bytes.size());
        EXPECT_EQ(plan.defect, IpsDefect::NotPatch);
        EXPECT_TRUE(plan.changes.empty());
    }
}

TEST(IpsParse, EveryCutInsideARecordIsDetected) {
    const Bytes full = samples::MakeIps({{0x10, {1, 2, 3, 4, 5}, 0}, {0x20, {0x7E}, 300}, {0x30, {9}, 0}}, false);
    // Record boundaries: after "PATCH" (5), after record 1 (5+3+2+5=15), record 2 (15+3+2+3=23), record 3 (29).
    const std::vector<std::size_t> boundaries = {5, 15, 23, 29};
    for (std::size_t cut = 5; cut <= full.size(); ++cut) {
        const IpsPlan plan = ParseIpsPatch(full.data(), cut);
        const bool atBoundary = std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end();
        if (atBoundary) {
            EXPECT_EQ(plan.defect, IpsDefect::None) << "cut at " << cut;
            EXPECT_FALSE(plan.endMarker);
        } else {
            EXPECT_EQ(plan.defect, IpsDefect::CutRecord) << "cut at " << cut;
            EXPECT_TRUE(plan.changes.empty()) << "a damaged patch yields no changes";
        }
    }
}

TEST(IpsParse, AfterEofOnlyNothingOrAThreeByteSize) {
    const Bytes base = samples::MakeIps({{0x10, {1}, 0}});
    const Bytes withSize = Tail(base, {0x00, 0x80, 0x00});
    IpsPlan plan = ParseIpsPatch(withSize.data(), withSize.size());
    ASSERT_EQ(plan.defect, IpsDefect::None);
    ASSERT_TRUE(plan.newSize);
    EXPECT_EQ(*plan.newSize, 32768u);
    EXPECT_EQ(PatchedSize(plan, 1000000), 32768u);

    for (std::size_t tail : {1, 2, 4, 5, 6}) {
        Bytes patch = base;
        patch.resize(base.size() + tail, 0x12);
        plan = ParseIpsPatch(patch.data(), patch.size());
        EXPECT_EQ(plan.defect, IpsDefect::BadTail) << tail;
        EXPECT_EQ(plan.tailSize, tail);
        EXPECT_TRUE(plan.changes.empty());
    }
}

TEST(IpsParse, BufferApplicationGrowsCutsAndLetsLaterRecordsWin) {
    const Bytes patch = samples::MakeIps({{2, {1, 1, 1, 1}, 0}, {4, {9, 9}, 0}, {10, {0xEE}, 2}});
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    Bytes target(6, 0x33);
    ApplyIpsToBuffer(plan, patch.data(), target);
    EXPECT_EQ(target, (Bytes{0x33, 0x33, 1, 1, 9, 9, 0, 0, 0, 0, 0xEE, 0xEE}));
    EXPECT_EQ(PatchedSize(plan, 6), 12u);
}

// ---- applying to files ------------------------------------------------------

class IpsApply : public ::testing::Test {
protected:
    void SetUp() override {
        samples::ImageRecipe recipe;
        recipe.sizeBytes = 65536;
        original = samples::MakeImage(recipe);
        imagePath = dir.Write("GAME.z64", original);
        image.SetMessageSink([this](const std::string& text) { messages.push_back(text); });
    }
    EngineResult Apply(const Bytes& patch, BackupMode mode = BackupMode::Temporary) {
        const std::string patchPath = dir.Write("fix.ips", patch);
        EXPECT_EQ(image.Identify(imagePath), EngineResult::Ok);
        const EngineResult r = ApplyIpsPatch(image, mode, patchPath);
        image.Clear();
        return r;
    }
    Bytes Current() const { return dir.Read("GAME.z64"); }

    test::TempDir dir;
    Bytes original;
    std::string imagePath;
    RomImage image;
    std::vector<std::string> messages;
};

TEST_F(IpsApply, EmptyPatchLeavesImageIdenticalAndCleansUp) {
    for (BackupMode mode : {BackupMode::Temporary, BackupMode::NoneInPlace}) {
        ASSERT_EQ(Apply(samples::MakeIps({}), mode), EngineResult::Ok);
        EXPECT_EQ(Current(), original);
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.z64", "fix.ips"})) << static_cast<int>(mode);
    }
}

TEST_F(IpsApply, KeepModeLeavesBackupOfTheOriginal) {
    ASSERT_EQ(Apply(samples::MakeIps({{0x100, {1, 2, 3}, 0}}), BackupMode::Keep), EngineResult::Ok);
    EXPECT_EQ(dir.Read("GAME.bak"), original);
    Bytes expected = original;
    expected[0x100] = 1, expected[0x101] = 2, expected[0x102] = 3;
    EXPECT_EQ(Current(), expected);
}

TEST_F(IpsApply, RunRecordWritesItsByteNTimes) {
    ASSERT_EQ(Apply(samples::MakeIps({{0x1000, {0xFF}, 4}})), EngineResult::Ok);
    Bytes expected = original;
    for (int i = 0; i < 4; ++i) expected[0x1000 + i] = 0xFF;
    EXPECT_EQ(Current(), expected);
}

TEST_F(IpsApply, RecordsPastTheEndGrowTheFileWithZeros) {
    ASSERT_EQ(Apply(samples::MakeIps({{70000, {7, 8}, 0}, {80000, {0x44}, 3}})), EngineResult::Ok);
    const Bytes now = Current();
    ASSERT_EQ(now.size(), 80003u);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), now.begin()));
    EXPECT_EQ(now[65536], 0);
    EXPECT_EQ(now[70000], 7);
    EXPECT_EQ(now[70001], 8);
    EXPECT_EQ(now[70002], 0);
    EXPECT_EQ(now[80002], 0x44);
}

TEST_F(IpsApply, SizeRecordCutsOrExtendsTheFile) {
    ASSERT_EQ(Apply(Tail(samples::MakeIps({{0x10, {0xAB}, 0}}), {0x00, 0x80, 0x00})), EngineResult::Ok);
    Bytes now = Current();
    ASSERT_EQ(now.size(), 32768u);
    EXPECT_EQ(now[0x10], 0xAB);
    EXPECT_TRUE(std::equal(now.begin() + 0x11, now.end(), original.begin() + 0x11));

    ASSERT_EQ(Apply(Tail(samples::MakeIps({}), {0x01, 0x00, 0x00}), BackupMode::NoneInPlace), EngineResult::Ok);
    now = Current();
    ASSERT_EQ(now.size(), 65536u);
    EXPECT_TRUE(std::all_of(now.begin() + 32768, now.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(IpsApply, MatchesTheBufferApplicationAcrossWindowsAndPastTheEnd) {
    // Overlapping records, records across the 32768-byte window borders, and
    // records past the end, with and without the backup copy.
    const Bytes patch =
        samples::MakeIps({{100, Bytes(50, 1), 0}, {120, {2}, 60}, {90, Bytes(20, 3), 0}, {65530, {4}, 20},
                          {32760, Bytes(30, 5), 0}, {32700, {6}, 70}, {32767, {7, 7}, 0}, {100000, Bytes(40000, 8), 0},
                          {110000, {9}, 40000}, {65535, {10}, 3}});
    Bytes expected = original;
    const IpsPlan plan = ParseIpsPatch(patch.data(), patch.size());
    ApplyIpsToBuffer(plan, patch.data(), expected);
    for (BackupMode mode : {BackupMode::Temporary, BackupMode::NoneInPlace}) {
        dir.Write("GAME.z64", original);
        ASSERT_EQ(Apply(patch, mode), EngineResult::Ok);
        EXPECT_EQ(Current(), expected) << static_cast<int>(mode);
    }
    // An image whose length is not a multiple of the window.
    Bytes odd(original.begin(), original.begin() + 40000);
    dir.Write("GAME.z64", odd);
    ApplyIpsToBuffer(plan, patch.data(), odd);
    ASSERT_EQ(Apply(patch), EngineResult::Ok);
    EXPECT_EQ(Current(), odd);
}

TEST_F(IpsApply, PatchesTheStoredByteOrderWithoutConversion) {
    samples::ImageRecipe recipe;
    recipe.sizeBytes = 4096;
    recipe.format = ImageFormat::ByteSwapped;
    const Bytes swapped = samples::MakeImage(recipe);
    dir.Write("GAME.z64", swapped);
    ASSERT_EQ(Apply(samples::MakeIps({{0x20, {'X'}, 0}})), EngineResult::Ok);
    const Bytes now = Current();
    EXPECT_EQ(now[0x20], 'X'); // file offset 0x20, which holds canonical byte 0x21
    EXPECT_EQ(now[0x21], swapped[0x21]);
}

TEST_F(IpsApply, NotAPatchChangesNothingAndMakesNoBackup) {
    Bytes patch = samples::MakeIps({{0x10, {1}, 0}});
    patch[4] = 'X';
    EXPECT_EQ(Apply(patch, BackupMode::Keep), EngineResult::ErrNotPatch);
    EXPECT_EQ(Current(), original);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.z64", "fix.ips"}));
    EXPECT_FALSE(messages.empty());
}

TEST_F(IpsApply, DamagedPatchIsRefusedInEveryMode) {
    const Bytes full = samples::MakeIps({{0x10, {1, 2, 3, 4}, 0}, {0x40, {0xEE}, 100}, {0x90, {5, 6}, 0}}, false);
    const Bytes run = samples::MakeIps({{0x40, {0xEE}, 100}}, false);
    const std::string cutAt = "is damaged: the record at byte ";
    const std::string tail = " its end marker \"EOF\", where only a 3-byte size may. The image was not changed.";
    const std::vector<std::pair<Bytes, std::string>> cases = {
        // A cut in each part of the last record: offset, length, data; a run cut after its length.
        {Bytes(full.begin(), full.end() - 6), cutAt + "22"},
        {Bytes(full.begin(), full.end() - 4), cutAt + "22"},
        {Bytes(full.begin(), full.end() - 1), cutAt + "22"},
        {Bytes(run.begin(), run.end() - 2), cutAt + "5"},
        // Junk after "EOF", a size record cut short, a record at 0x454F46 read as "EOF".
        {Tail(samples::MakeIps({}), {1, 2, 3, 4, 5, 6}), "6 bytes follow" + tail},
        {Tail(samples::MakeIps({}), {0x00, 0x80}), "2 bytes follow" + tail},
        {Tail(samples::MakeIps({}), {0x00}), "1 byte follows" + tail},
        {samples::MakeIps({{0x454F46, {1, 2, 3, 4}, 0}}, false), "6 bytes follow" + tail},
    };
    for (const auto& [patch, message] : cases) {
        for (BackupMode mode : {BackupMode::Temporary, BackupMode::Keep, BackupMode::NoneInPlace}) {
            messages.clear();
            EXPECT_EQ(Apply(patch, mode), EngineResult::ErrFormat);
            EXPECT_EQ(Current(), original);
            EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.z64", "fix.ips"}));
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find(message), std::string::npos) << messages[0];
        }
    }
}

TEST_F(IpsApply, PatchWithoutEofEndingAfterARecordIsApplied) {
    ASSERT_EQ(Apply(samples::MakeIps({{0x10, {0x99}, 0}}, false)), EngineResult::Ok);
    EXPECT_EQ(Current()[0x10], 0x99);
}

TEST_F(IpsApply, RefusesWhenNothingLoadedOrFilesUnreadable) {
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Temporary, dir.File("none.ips")), EngineResult::ErrNotLoaded);
    ASSERT_EQ(image.Identify(imagePath), EngineResult::Ok);
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Temporary, dir.File("none.ips")), EngineResult::ErrOpen);
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Temporary, dir.Path()), EngineResult::ErrOpen); // a folder
    EXPECT_EQ(Current(), original);
}

TEST_F(IpsApply, BackupFileIsNeverPatchedEvenWithoutBackups) {
    const std::string bak = dir.Write("OLD.bak", original);
    const std::string patchPath = dir.Write("fix.ips", samples::MakeIps({{0x10, {1}, 0}}));
    ASSERT_EQ(image.Identify(bak), EngineResult::Ok);
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::NoneInPlace, patchPath), EngineResult::ErrBackup);
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Keep, patchPath), EngineResult::ErrBackup);
    EXPECT_EQ(dir.Read("OLD.bak"), original);
}

TEST_F(IpsApply, PatchNamedLikeTheBackupIsNotDestroyed) {
    const Bytes patch = samples::MakeIps({{0x10, {1}, 0}});
    const std::string patchPath = dir.Write("GAME.bak", patch);
    ASSERT_EQ(image.Identify(imagePath), EngineResult::Ok);
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Keep, patchPath), EngineResult::ErrFormat);
    EXPECT_EQ(dir.Read("GAME.bak"), patch);
    EXPECT_EQ(Current(), original);
    // With temporary backups the name differs, so it applies.
    EXPECT_EQ(ApplyIpsPatch(image, BackupMode::Temporary, patchPath), EngineResult::Ok);
}

TEST_F(IpsApply, WriteFailureRestoresTheOriginal) {
    // A file-size limit above the image but below the record makes the write fail.
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1024 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string patchPath = dir.Write("fix.ips", samples::MakeIps({{0x10, {1}, 0}, {0xFFFF00, {2, 2}, 0}}));
    ASSERT_EQ(image.Identify(imagePath), EngineResult::Ok);
    const EngineResult r = ApplyIpsPatch(image, BackupMode::Temporary, patchPath);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(r, EngineResult::ErrFailed);
    EXPECT_EQ(Current(), original);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.z64", "fix.ips"}));
    EXPECT_FALSE(messages.empty());
}

} // namespace
} // namespace q64
