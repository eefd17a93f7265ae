// Doctor V64: exact port traces for the sync and the idle address, the name
// block, round trips through the simulated unit in both wirings and byte
// orders, and the failures a user can meet.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>

#include "TransferRig.h"
#include "transfer/DoctorV64.h"
#include "transfer/SimDoctorV64.h"
#include "transfer/WireBytes.h"

namespace q64::test {
namespace {

using samples::Bytes;

std::string Name(const std::string& path) {
    const auto block = NameBlock(path);
    return std::string(block.begin(), block.end());
}

TEST(V64NameBlock, CutsAndPadsNameAndExtension) {
    EXPECT_EQ(Name("/roms/mario.z64"), "mario   z64");
    EXPECT_EQ(Name("/roms/verylongname.rom"), "verylongrom");
    EXPECT_EQ(Name("/roms/noext"), "noext      ");
    EXPECT_EQ(Name("/roms/Mixed Case .V64"), "Mixed CaV64");
    EXPECT_EQ(Name("/roms/a.b.longext"), "a.b     lon");
}

TEST(V64Sync, FlipsToModeOneAfter8192FailedPollsAndKeepsIt) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1));
    rig.Configure(0);
    const TransferContext ctx = rig.Context();
    EXPECT_EQ(V64Sync(ctx), EngineResult::ErrTransfer);
    EXPECT_EQ(rig.state.handshakeMode, 1);
    EXPECT_EQ(V64Sync(ctx), EngineResult::Ok);
    EXPECT_EQ(rig.state.handshakeMode, 1);

    std::vector<Access> expected = {{'W', 0x37a, 0x04}, {'R', 0x37a, 0x04}, {'W', 0x378, 0xaa}, {'W', 0x37a, 0x00}};
    for (int i = 0; i < 8192; ++i) expected.push_back({'R', 0x37a, 0x00}); // the answer never shows on control
    expected.insert(expected.end(), {{'W', 0x37a, 0x04}, {'W', 0x378, 0x00},
                                     // second attempt, status lines, answer active low
                                     {'W', 0x37a, 0x04}, {'R', 0x379, 0x18},
                                     {'W', 0x378, 0xa5}, {'W', 0x37a, 0x00}, {'R', 0x379, 0x10},
                                     {'W', 0x37a, 0x04}, {'R', 0x379, 0x18},
                                     {'W', 0x378, 0x5a}, {'W', 0x37a, 0x00}, {'R', 0x379, 0x10},
                                     {'W', 0x37a, 0x04}, {'R', 0x379, 0x18}});
    EXPECT_EQ(rig.Trace(), Lines(expected));
}

TEST(V64Sync, ModeZeroWiringAnswersOnTheControlLines) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
    rig.Configure(0);
    EXPECT_EQ(V64Sync(rig.Context()), EngineResult::Ok);
    EXPECT_EQ(rig.Trace(), Lines({{'W', 0x37a, 0x04}, {'R', 0x37a, 0x04},
                                  {'W', 0x378, 0xaa}, {'W', 0x37a, 0x00}, {'R', 0x37a, 0x08},
                                  {'W', 0x37a, 0x04}, {'R', 0x37a, 0x04},
                                  {'W', 0x378, 0x55}, {'W', 0x37a, 0x00}, {'R', 0x37a, 0x08},
                                  {'W', 0x37a, 0x04}, {'R', 0x37a, 0x04}}));
}

TEST(V64SendBytes, ReadsTheStrobeOnceThenThreeAccessesPerByte) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
    rig.Configure(0);
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56};
    EXPECT_EQ(V64SendBytes(rig.Context(), bytes, 3), EngineResult::Ok);
    EXPECT_EQ(rig.Trace(), Lines({{'R', 0x37a, 0x04},
                                  {'R', 0x37a, 0x04}, {'W', 0x378, 0x12}, {'W', 0x37a, 0x05},
                                  {'R', 0x37a, 0x07}, {'W', 0x378, 0x34}, {'W', 0x37a, 0x04},
                                  {'R', 0x37a, 0x04}, {'W', 0x378, 0x56}, {'W', 0x37a, 0x05}}));
}

TEST(V64ReceiveBytes, LowHalfOnTheRisingClockHighHalfOnTheFallingOne) {
    TransferRig rig;
    auto& lines = rig.bus.Attach(std::make_unique<ScriptedUnit>(kLpt, kLpt + 2));
    // Not yet, then clock high with 0xA on bits 3..6; still high, then low with 0x5.
    lines.Queue(kLpt + 1, {0x00, 0xd0, 0xd0, 0x80, 0x28, 0x28});
    rig.Configure(0);
    std::uint8_t byte = 0;
    EXPECT_EQ(V64ReceiveBytes(rig.Context(), &byte, 1), EngineResult::Ok);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(rig.Trace(), Lines({{'W', 0x378, 0x80}, {'R', 0x379, 0x00}, {'R', 0x379, 0xd0}, {'R', 0x379, 0xd0},
                                  {'W', 0x378, 0x00}, {'R', 0x379, 0x80}, {'R', 0x379, 0x28}, {'R', 0x379, 0x28}}));
}

TEST(V64Turnaround, ModeZeroTurnsOnEqualControlBitsOnly) {
    TransferRig rig;
    auto& lines = rig.bus.Attach(std::make_unique<ScriptedUnit>(kLpt, kLpt + 2));
    // Pass 1: bits 0/1 read 01, then 10, then strobe 0 against status bit 4 set
    // (a mode 1 answer, not taken in mode 0). Pass 2: both bits read 1.
    lines.Queue(kLpt + 2, {0x01, 0x02, 0x00, 0x03});
    lines.Queue(kLpt + 1, {0x10, 0x00});
    rig.Configure(0);
    EXPECT_EQ(V64Turnaround(rig.Context()), EngineResult::Ok);
    EXPECT_EQ(rig.Trace(), Lines({{'R', 0x37a, 0x01}, {'R', 0x37a, 0x02}, {'R', 0x37a, 0x00}, {'R', 0x379, 0x10},
                                  {'R', 0x37a, 0x03}, {'W', 0x378, 0x00}, {'R', 0x379, 0x00}}));
}

TEST(V64Turnaround, ModeOneTurnsWhenStrobeAndStatusBitFourDiffer) {
    TransferRig rig;
    auto& lines = rig.bus.Attach(std::make_unique<ScriptedUnit>(kLpt, kLpt + 2));
    lines.Rest(kLpt + 2, 0x04); // bits 0 and 1 both 0: the mode 0 answer, not taken in mode 1
    lines.Queue(kLpt + 1, {0x00, 0x10, 0x80, 0x00});
    rig.Configure(0);
    rig.state.handshakeMode = 1;
    EXPECT_EQ(V64Turnaround(rig.Context()), EngineResult::Ok);
    EXPECT_EQ(rig.Trace(), Lines({{'R', 0x37a, 0x04}, {'R', 0x37a, 0x04}, {'R', 0x37a, 0x04}, {'R', 0x379, 0x00},
                                  {'R', 0x37a, 0x04}, {'R', 0x37a, 0x04}, {'R', 0x37a, 0x04}, {'R', 0x379, 0x10},
                                  {'W', 0x378, 0x00}, {'R', 0x379, 0x80}, {'R', 0x379, 0x00}}));
}

TEST(V64Turnaround, GivesUpAfter8192PassesWithoutWriting) {
    TransferRig rig;
    auto& lines = rig.bus.Attach(std::make_unique<ScriptedUnit>(kLpt, kLpt + 2));
    lines.Rest(kLpt + 2, 0x01);
    lines.Rest(kLpt + 1, 0x10);
    rig.Configure(0);
    rig.state.handshakeMode = 1;
    EXPECT_EQ(V64Turnaround(rig.Context()), EngineResult::ErrTransfer);
    const auto trace = rig.Trace();
    EXPECT_EQ(trace.size(), 4u * 8192);
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(), [](const std::string& l) { return l[0] == 'W'; }), 0);
}

TEST(V64IdleAddress, SendRunsEveryStepWithoutTouchingTheUnit) {
    TransferRig rig;
    ConfigureTransfer(rig.state, rig.image, 0, 1, kIdleParallelBase, 2, kCard, 'X', 0);
    rig.Load("mario.z64", samples::MakeImage(SmallImage(4096, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    EXPECT_EQ(rig.Trace(), Lines({{'W', 0x1be, 0x04}}));
    EXPECT_EQ(rig.statuses, (std::vector<std::string>{"Getting Sync...", "Sending Header...",
                                                      "Sending File Length...", "Sending File Name...",
                                                      "Sending File...", "Ready"}));
    EXPECT_TRUE(rig.messages.empty());
}

TEST(V64IdleAddress, ReceiveTakes8MegabytesWithoutTouchingTheUnit) {
    TransferRig rig;
    ConfigureTransfer(rig.state, rig.image, 0, 1, kIdleParallelBase, 2, kCard, 'X', 0);
    EXPECT_EQ(rig.Receive(rig.dir.File("idle.z64")), EngineResult::Ok);
    EXPECT_EQ(rig.Trace(), Lines({{'W', 0x1be, 0x04}, {'W', 0x1be, 0x04}}));
    EXPECT_EQ(rig.dir.Read("idle.z64").size(), 0x800000u);
}

struct V64Case {
    ImageFormat format;
    int bios;
    int wiring;
    bool compressed;
};

class V64RoundTrip : public ::testing::TestWithParam<V64Case> {};

TEST_P(V64RoundTrip, UnitReceivesTheImageInTheOrderItExpects) {
    const V64Case c = GetParam();
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, c.wiring));
    rig.Configure(0, c.bios);
    const auto recipe = SmallImage(70000, c.format);
    const Bytes plain = samples::MakeImage(recipe);
    rig.Load("game.v64", c.compressed ? samples::MakeCompressedImage(recipe) : plain);
    ASSERT_EQ(rig.image.Compressed(), c.compressed);
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    const bool bigEndianOnWire = c.bios == 2;
    const Bytes expected = (c.format == ImageFormat::BigEndian) == bigEndianOnWire ? plain : samples::SwapPairs(plain);
    EXPECT_TRUE(unit.UploadComplete());
    EXPECT_EQ(unit.AnnouncedLength(), plain.size());
    EXPECT_EQ(unit.ReceivedName(), "game    v64");
    EXPECT_TRUE(unit.Received() == expected);
    EXPECT_EQ(rig.state.handshakeMode, c.wiring);
    EXPECT_EQ(rig.statuses.back(), "Ready");
    // A compressed image counts its body against the whole size S: never 100.
    EXPECT_EQ(rig.progress.back(), c.compressed ? 99 : 100);
}

INSTANTIATE_TEST_SUITE_P(
    BothOrdersWiringsAndContainers, V64RoundTrip,
    ::testing::Values(V64Case{ImageFormat::BigEndian, 1, 0, false}, V64Case{ImageFormat::BigEndian, 2, 1, false},
                      V64Case{ImageFormat::ByteSwapped, 1, 1, false}, V64Case{ImageFormat::ByteSwapped, 2, 0, false},
                      V64Case{ImageFormat::BigEndian, 1, 1, true}, V64Case{ImageFormat::ByteSwapped, 1, 0, true},
                      V64Case{ImageFormat::BigEndian, 2, 0, true}, V64Case{ImageFormat::ByteSwapped, 2, 1, true}));

TEST(V64Send, OtherKindsGoOutUnchangedUnlessBiosIsTwo) {
    for (int bios : {1, 2}) {
        TransferRig rig;
        auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
        rig.Configure(0, bios);
        const Bytes save = samples::MakeSavRam();
        rig.Load("slot.sav", save);
        EXPECT_EQ(rig.Send(), EngineResult::Ok);
        EXPECT_TRUE(unit.Received() == (bios == 2 ? samples::SwapPairs(save) : save)) << bios;
    }
}

TEST(V64Receive, WritesWhatTheUnitHeldInBothWirings) {
    for (int wiring : {0, 1}) {
        TransferRig rig;
        auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, wiring));
        const Bytes held = samples::MakeImage(SmallImage(40000, ImageFormat::ByteSwapped, 9));
        unit.SetImage(held);
        rig.Configure(0);
        EXPECT_EQ(rig.Receive(rig.dir.File("got.v64"), 256), EngineResult::Ok);
        EXPECT_TRUE(rig.dir.Read("got.v64") == held);
        EXPECT_EQ(unit.RequestedName(), "got     v64");
        EXPECT_EQ(rig.statuses, (std::vector<std::string>{"Getting Sync...", "Sending Header...",
                                                          "Sending Filename...", "Checking Sync...",
                                                          "Receiving File Size...", "Receiving File...", "Ready"}));
        EXPECT_EQ(rig.dir.Names(), (std::vector<std::string>{"got.v64", "trace.txt"}));
    }
}

TEST(V64Receive, UnwritableTargetsAreRefusedBeforeThePortIsTouched) {
    for (const std::string& name : std::vector<std::string>{"folder", "readonly.v64", std::string(300, 'n')}) {
        TransferRig rig;
        rig.port.SetBackend(rig.bus);
        auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1));
        unit.SetImage(samples::MakeImage(SmallImage(4096, ImageFormat::ByteSwapped)));
        ::mkdir(rig.dir.File("folder").c_str(), 0755);
        const Bytes old = {1, 2, 3};
        ::chmod(rig.dir.Write("readonly.v64", old).c_str(), 0444);
        rig.Configure(0);
        EXPECT_EQ(rig.Receive(rig.dir.File(name), 256), EngineResult::ErrReceive) << name.size();
        EXPECT_EQ(rig.bus.Reads() + rig.bus.Writes(), 0u) << name.size();
        ASSERT_EQ(rig.messages.size(), 1u);
        EXPECT_EQ(rig.messages[0].rfind("Cannot create ", 0), 0u);
        EXPECT_TRUE(rig.dir.Read("readonly.v64") == old);
    }
}

TEST(V64Receive, ReplacedTargetKeepsItsPermissions) {
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1));
    unit.SetImage(samples::MakeImage(SmallImage(4096, ImageFormat::ByteSwapped)));
    const std::string target = rig.dir.Write("got.v64", {1});
    ::chmod(target.c_str(), 0600);
    rig.Configure(0);
    ASSERT_EQ(rig.Receive(target, 256), EngineResult::Ok);
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST(V64Faults, UnitStallingHalfWayFailsTheSendWithItsMessage) {
    TransferRig rig;
    rig.port.SetBackend(rig.bus); // a million polls need no trace
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1, SimFault::Stall));
    rig.Configure(0);
    rig.Load("a.z64", samples::MakeImage(SmallImage(2048, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::ErrTransfer);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Error Sending File"});
    EXPECT_EQ(rig.statuses.back(), "Ready");
}

TEST(V64Faults, SilentUnitKeepsSyncingUntilCancelledAlternatingModes) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0, SimFault::Silent));
    rig.Configure(0);
    rig.Load("a.z64", samples::MakeImage(SmallImage(2048, ImageFormat::BigEndian)));
    rig.CancelAfterProgressCalls(3);
    EXPECT_EQ(rig.Send(), EngineResult::ErrCancelled);
    EXPECT_EQ(rig.progress, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(rig.statuses, (std::vector<std::string>{"Getting Sync...", "Ready"}));
    EXPECT_EQ(rig.state.handshakeMode, 1); // three failed attempts: 0 -> 1 -> 0 -> 1
}

TEST(V64Faults, FrontEndGivingUpOnTheSyncCancels) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0, SimFault::Silent));
    rig.Configure(0);
    int asked = 0;
    rig.calls.abandonSync = [&] { return ++asked == 2; };
    EXPECT_EQ(rig.Receive(rig.dir.File("x.z64")), EngineResult::ErrCancelled);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Unable to Get Sync"});
    EXPECT_FALSE(rig.dir.Exists("x.z64"));
}

class V64ReceiveFailure : public ::testing::Test {
protected:
    // An existing target that a failed receive must leave alone.
    void SetUp() override { rig.dir.Write("keep.z64", old); }
    void ExpectOldFileOnly() {
        EXPECT_TRUE(rig.dir.Read("keep.z64") == old);
        EXPECT_EQ(rig.dir.Names(), (std::vector<std::string>{"keep.z64", "trace.txt"}));
    }
    TransferRig rig;
    Bytes old = samples::MakeImage(SmallImage(1024, ImageFormat::BigEndian, 77));
};

TEST_F(V64ReceiveFailure, StallHalfWayKeepsTheOldFile) {
    rig.port.SetBackend(rig.bus); // a million polls need no trace
    auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0, SimFault::Stall));
    unit.SetImage(samples::MakeImage(SmallImage(4096, ImageFormat::BigEndian)));
    rig.Configure(0);
    EXPECT_EQ(rig.Receive(rig.dir.File("keep.z64")), EngineResult::ErrReceive);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Error Receiving File"});
    ExpectOldFileOnly();
}

TEST_F(V64ReceiveFailure, CancelDuringTheDataKeepsTheOldFile) {
    auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1));
    unit.SetImage(samples::MakeImage(SmallImage(100000, ImageFormat::BigEndian)));
    rig.Configure(0);
    rig.CancelAfterProgressCalls(3); // 0 %, then the chunk that reaches 32 %, then cancel
    EXPECT_EQ(rig.Receive(rig.dir.File("keep.z64")), EngineResult::ErrCancelled);
    EXPECT_TRUE(rig.messages.empty());
    EXPECT_EQ(rig.statuses.back(), "Ready");
    ExpectOldFileOnly();
}

TEST_F(V64ReceiveFailure, UnitStatingNoSizeKeepsTheOldFile) {
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1)); // holds no image: states size 0
    rig.Configure(0);
    EXPECT_EQ(rig.Receive(rig.dir.File("keep.z64")), EngineResult::ErrReceive);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Error Receiving File Size"});
    ExpectOldFileOnly();
}

TEST_F(V64ReceiveFailure, CancelDuringTheSyncKeepsTheOldFile) {
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 1, SimFault::Silent));
    rig.Configure(0);
    rig.CancelAfterProgressCalls(1);
    EXPECT_EQ(rig.Receive(rig.dir.File("keep.z64")), EngineResult::ErrCancelled);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"Unable to Get Sync"});
    ExpectOldFileOnly();
}

TEST_F(V64ReceiveFailure, UnwritableFolderFailsBeforeAnyPortAccess) {
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
    rig.Configure(0);
    EXPECT_EQ(rig.Receive(rig.dir.File("no/such/folder.z64")), EngineResult::ErrReceive);
    EXPECT_EQ(rig.bus.Writes(), 0u);
    ExpectOldFileOnly();
}

TEST(V64SendCompressed, ProgressCountsBodyBytesAgainstTheWholeUncompressedSize) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
    rig.Configure(0);
    rig.Load("p.z64", samples::MakeCompressedImage(SmallImage(8192, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::Ok);
    // 0 before the body; 4096 of 8192 is 50; the whole body, 8128 of 8192, is 99.
    EXPECT_EQ(rig.progress, (std::vector<int>{0, 50, 99}));
}

TEST(V64SendCompressed, DamagedStreamIsReportedNotSentShort) {
    TransferRig rig;
    auto& unit = rig.bus.Attach(std::make_unique<SimDoctorV64>(kLpt, 0));
    rig.Configure(0);
    Bytes packed = samples::MakeCompressedImage(SmallImage(50000, ImageFormat::BigEndian));
    packed.resize(packed.size() / 2);
    rig.Load("cut.z64", packed);
    ASSERT_TRUE(rig.image.Compressed());
    EXPECT_EQ(rig.Send(), EngineResult::ErrTransfer);
    EXPECT_EQ(rig.messages, std::vector<std::string>{"The compressed image is damaged"});
    EXPECT_FALSE(unit.UploadComplete());
}

} // namespace
} // namespace q64::test
