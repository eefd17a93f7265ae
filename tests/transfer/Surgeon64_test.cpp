// Surgeon64: the exact control sequences and address cycles, round trips of a
// pak through the simulated adapter, and the inputs that must not reach it.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TransferRig.h"
#include "transfer/PpdevPortBackend.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/Surgeon64.h"

namespace q64::test {
namespace {

using samples::Bytes;
constexpr int kS = 0x300;

Bytes Pak(std::uint32_t seed) {
    auto recipe = SmallImage(kMemPakSize, ImageFormat::BigEndian, seed);
    return samples::MakeImage(recipe);
}

struct SurgeonRig {
    SurgeonRig() { unit = &rig.bus.Attach(std::make_unique<SimSurgeon64>(kS)); }
    MessageSink Sink() {
        return [this](const std::string& text) { messages.push_back(text); };
    }
    TransferRig rig;
    SimSurgeon64* unit;
    SurgeonState state;
    std::vector<std::string> messages;
};

TEST(Surgeon64, PcControlFromTheInitialShadow) {
    SurgeonRig s;
    EXPECT_EQ(SurgeonPcControl(s.rig.port, s.state, kS, s.Sink()), EngineResult::Ok);
    EXPECT_EQ(s.state.mode, 2);
    EXPECT_EQ(s.rig.Trace(), Lines({{'W', 0x300, 0x44}, {'W', 0x300, 0x64}, {'W', 0x300, 0x74},
                                    {'W', 0x300, 0x75}, {'W', 0x300, 0x77}, {'W', 0x300, 0x77}}));
}

TEST(Surgeon64, ConsoleControlAfterPcControlReleases) {
    SurgeonRig s;
    SurgeonPcControl(s.rig.port, s.state, kS, s.Sink());
    EXPECT_EQ(SurgeonConsoleControl(s.rig.port, s.state, kS, s.Sink()), EngineResult::Ok);
    EXPECT_EQ(s.state.mode, 1);
    const auto trace = s.rig.Trace();
    EXPECT_EQ(std::vector<std::string>(trace.begin() + 6, trace.end()),
              Lines({{'W', 0x300, 0x76}, {'W', 0x300, 0x74}, {'W', 0x300, 0x74}}));
}

TEST(Surgeon64, LoadWritesControlStepsThenThreeWritesPerByte) {
    SurgeonRig s;
    SurgeonPcControl(s.rig.port, s.state, kS, s.Sink());
    const Bytes pak = Pak(4);
    const std::string path = s.rig.dir.Write("pak.sav", pak);
    EXPECT_EQ(SurgeonLoadPak(s.rig.port, s.state, kS, path, s.Sink()), EngineResult::Ok);
    EXPECT_TRUE(s.unit->Pak() == pak);
    const auto trace = s.rig.Trace();
    ASSERT_EQ(trace.size(), 6u + 8 + 3 * kMemPakSize + 3);
    std::vector<Access> expected = {{'W', 0x300, 0x77}, {'W', 0x300, 0x77}, {'W', 0x300, 0x77},
                                    {'W', 0x300, 0x77}, {'W', 0x300, 0x77}, {'W', 0x300, 0x67},
                                    {'W', 0x300, 0x27}, {'W', 0x300, 0x27}};
    EXPECT_EQ(std::vector<std::string>(trace.begin() + 6, trace.begin() + 14), Lines(expected));
    // Address 0x1234 is written low byte to S+1, high byte to S+2, then the data.
    const std::size_t at = 14 + 3 * 0x1234;
    EXPECT_EQ(std::vector<std::string>(trace.begin() + at, trace.begin() + at + 3),
              Lines({{'W', 0x301, 0x34}, {'W', 0x302, 0x12}, {'W', 0x303, pak[0x1234]}}));
    EXPECT_EQ(std::vector<std::string>(trace.end() - 3, trace.end()),
              Lines({{'W', 0x300, 0x26}, {'W', 0x300, 0x24}, {'W', 0x300, 0x24}}));
}

TEST(Surgeon64, SaveReadsThePakBackIntoAFile) {
    SurgeonRig s;
    const Bytes pak = Pak(8);
    s.unit->SetPak(pak);
    SurgeonPcControl(s.rig.port, s.state, kS, s.Sink());
    const std::string path = s.rig.dir.File("out.sav");
    EXPECT_EQ(SurgeonSavePak(s.rig.port, s.state, kS, path, s.Sink()), EngineResult::Ok);
    EXPECT_TRUE(s.rig.dir.Read("out.sav") == pak);
    EXPECT_EQ(s.rig.bus.Reads(), kMemPakSize);
    EXPECT_EQ(s.state.controlShadow, 0x14); // read mode left 0x10 set; released
}

TEST(Surgeon64, AddressZeroChangesTheModeButTouchesNoPort) {
    SurgeonRig s;
    EXPECT_EQ(SurgeonPcControl(s.rig.port, s.state, 0, s.Sink()), EngineResult::Ok);
    EXPECT_EQ(s.state.mode, 2);
    EXPECT_EQ(SurgeonConsoleControl(s.rig.port, s.state, 0, s.Sink()), EngineResult::Ok);
    EXPECT_EQ(s.state.mode, 1);
    EXPECT_EQ(s.rig.bus.Writes(), 0u);
}

TEST(Surgeon64, SaveWithAddressZeroWritesNoFileAndSaysSo) {
    SurgeonRig s;
    s.rig.dir.Write("old.sav", Pak(1));
    EXPECT_EQ(SurgeonSavePak(s.rig.port, s.state, 0, s.rig.dir.File("old.sav"), s.Sink()), EngineResult::ErrFailed);
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_NE(s.messages[0].find("SurgeonAddress"), std::string::npos);
    EXPECT_TRUE(s.rig.dir.Read("old.sav") == Pak(1));
}

TEST(Surgeon64, MissingOrShortFileIsRefusedBeforeAnyPortAccess) {
    SurgeonRig s;
    const Bytes before = Pak(2);
    s.unit->SetPak(before);
    EXPECT_EQ(SurgeonLoadPak(s.rig.port, s.state, kS, s.rig.dir.File("none.sav"), s.Sink()), EngineResult::ErrOpen);
    const std::string shortFile = s.rig.dir.Write("short.sav", Bytes(1000, 0xAA));
    EXPECT_EQ(SurgeonLoadPak(s.rig.port, s.state, kS, shortFile, s.Sink()), EngineResult::ErrFormat);
    ASSERT_EQ(::mkfifo(s.rig.dir.File("pipe.sav").c_str(), 0600), 0); // would block a plain open
    EXPECT_EQ(SurgeonLoadPak(s.rig.port, s.state, kS, s.rig.dir.File("pipe.sav"), s.Sink()), EngineResult::ErrOpen);
    ASSERT_EQ(s.messages.size(), 3u);
    EXPECT_NE(s.messages[1].find("1000 bytes"), std::string::npos) << s.messages[1];
    EXPECT_NE(s.messages[2].find("not a regular file"), std::string::npos) << s.messages[2];
    EXPECT_EQ(s.rig.bus.Writes(), 0u);
    EXPECT_TRUE(s.unit->Pak() == before);
}

TEST(Surgeon64, PortDriverCannotReachTheAdapter) {
    SurgeonRig s;
    PpdevPortBackend driver(1, s.rig.dir.File("parport"));
    ParallelPort port(driver);
    EXPECT_EQ(SurgeonPcControl(port, s.state, kS, s.Sink()), EngineResult::ErrTransfer);
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_NE(s.messages[0].find("direct port access"), std::string::npos);
}

} // namespace
} // namespace q64::test
