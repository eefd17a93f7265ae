// The back ends that cannot work on this machine must fail with a sentence,
// never crash; the tracer writes the agreed line format.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

#include "TransferRig.h"
#include "transfer/DirectPortBackend.h"
#include "transfer/PpdevPortBackend.h"
#include "transfer/SimCd64.h"

namespace q64::test {
namespace {

TEST(TracingPortBackend, WritesOneLowercaseLinePerAccess) {
    TransferRig rig;
    rig.bus.Attach(std::make_unique<SimCd64>(0x3A0));
    rig.port.WritePort(0x3A0, 0xAB);
    rig.port.ReadPort(0x3A2);
    rig.port.ReadPort(0xBEEF); // nothing decodes it
    EXPECT_EQ(rig.Trace(), (std::vector<std::string>{"W 03a0 ab", "R 03a2 00", "R beef ff"}));
}

TEST(PpdevPortBackend, MissingDeviceFailsWithSixteenAndReadsFF) {
    TempDir dir;
    PpdevPortBackend driver(1, dir.File("parport"));
    EXPECT_EQ(driver.OpenPortDriver(1), 16);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(driver.Read(0x379), 0xFF);
    driver.Write(0x378, 0x55); // dropped, no crash
    EXPECT_EQ(driver.ClosePortDriver(), 0);
    const std::string why = driver.Claim(0x378, 3);
    EXPECT_NE(why.find(dir.File("parport0")), std::string::npos) << why;
    EXPECT_NE(why.find("modprobe ppdev"), std::string::npos) << why;
}

TEST(PpdevPortBackend, ADeviceWithoutPermissionNamesTheLpGroup) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may open any device";
    TempDir dir;
    dir.Write("parport0", {0});
    ::chmod(dir.File("parport0").c_str(), 0);
    PpdevPortBackend driver(1, dir.File("parport"));
    const std::string why = driver.Claim(0x378, 3);
    EXPECT_NE(why.find("\"lp\" group"), std::string::npos) << why;
}

TEST(PpdevPortBackend, IndexOutsideOneToFourOpensNothing) {
    PpdevPortBackend driver;
    EXPECT_EQ(driver.OpenPortDriver(0), 16);
    EXPECT_EQ(driver.OpenPortDriver(5), 16);
    EXPECT_EQ(driver.DevicePath(4), "/dev/parport3");
    EXPECT_FALSE(driver.ReadsControlLines());
}

TEST(PpdevPortBackend, FileThatIsNoPortCannotBeClaimed) {
    TempDir dir;
    dir.Write("parport0", {0});
    PpdevPortBackend driver(1, dir.File("parport"));
    EXPECT_EQ(driver.OpenPortDriver(1), 16);
    EXPECT_NE(driver.OpenError().find("cannot claim"), std::string::npos) << driver.OpenError();
}

TEST(DirectPortBackend, RefusesPortsAboveTheIopermRange) {
    DirectPortBackend direct;
    const std::string why = direct.Claim(0xE800, 3);
    EXPECT_NE(why.find("0x3FF"), std::string::npos) << why;
    EXPECT_EQ(direct.Read(0xE800), 0xFF); // never touched without the permission
}

TEST(DirectPortBackend, WithoutPermissionSaysWhatIsMissing) {
    DirectPortBackend direct;
    const std::string why = direct.Claim(0x378, 3);
    if (why.empty()) GTEST_SKIP() << "this process has direct port access";
    EXPECT_NE(why.find("ppdev"), std::string::npos) << why;
    EXPECT_EQ(OsKind(), 0);
}

TEST(DirectPortBackend, SendWithoutPermissionEndsWithTheMessage) {
    TransferRig rig;
    DirectPortBackend direct;
    if (DirectPortAccessAvailable()) GTEST_SKIP() << "this process has direct port access";
    rig.port.SetBackend(direct);
    rig.Configure(0);
    rig.Load("a.z64", samples::MakeImage(SmallImage(1024, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::ErrTransfer);
    ASSERT_EQ(rig.messages.size(), 1u);
    // The configured port, what is missing, and where to change it.
    EXPECT_NE(rig.messages[0].find("LPT1 0x378"), std::string::npos) << rig.messages[0];
    EXPECT_NE(rig.messages[0].find("View, Properties"), std::string::npos) << rig.messages[0];
    EXPECT_TRUE(rig.statuses.empty());
}

TEST(Dispatch, DriverBackEndRefusesTheCd64CardWithAMessage) {
    TransferRig rig;
    PpdevPortBackend driver(1, rig.dir.File("parport"));
    rig.port.SetBackend(driver);
    ConfigureTransfer(rig.state, rig.image, 2, 1, 0x378, 0, 0x310, 'X', 0);
    EXPECT_TRUE(rig.state.useDriver);
    rig.Load("a.z64", samples::MakeImage(SmallImage(1024, ImageFormat::BigEndian)));
    EXPECT_EQ(rig.Send(), EngineResult::ErrTransfer);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_NE(rig.messages[0].find("CD64"), std::string::npos);
}

TEST(Dispatch, UnitsOtherThanTheDoctorV64RefuseBiosIpsAndSavBeforeAnyPortAccess) {
    for (int unit : {1, 2}) {
        TransferRig rig;
        rig.Configure(unit);
        for (const auto& [name, bytes, word] : std::vector<std::tuple<std::string, samples::Bytes, std::string>>{
                 {"bios.bin", samples::MakeBios(), "BIOS"},
                 {"fix.ips", samples::MakeIps({{0x10, {1, 2}}}), "IPS"},
                 {"game.sav", samples::MakeSavRam(), "SAV"}}) {
            rig.messages.clear();
            rig.Load(name, bytes);
            ASSERT_TRUE(rig.image.IsLoaded()) << name;
            EXPECT_EQ(rig.Send(), EngineResult::ErrFailed) << name;
            // Said, not silent: the unit and the kind are named.
            ASSERT_EQ(rig.messages.size(), 1u) << name;
            EXPECT_NE(rig.messages[0].find(word), std::string::npos) << rig.messages[0];
            EXPECT_NE(rig.messages[0].find(unit == 1 ? "SP64/Wildcard" : "CD64"), std::string::npos);
        }
        EXPECT_EQ(rig.bus.Reads() + rig.bus.Writes(), 0u);
    }
}

TEST(Dispatch, NothingLoadedIsReported) {
    TransferRig rig;
    rig.Configure(0);
    EXPECT_EQ(rig.Send(), EngineResult::ErrNotLoaded);
}

TEST(Dispatch, ConfigureFillsTheStateAndClearsTheImage) {
    TransferRig rig;
    EXPECT_EQ(rig.state.parallelBase, kIdleParallelBase);
    rig.Load("a.z64", samples::MakeImage(SmallImage(1024, ImageFormat::BigEndian)));
    rig.state.handshakeMode = 1;
    ConfigureTransfer(rig.state, rig.image, 2, 2, 0x278, 0, 0x330, 'T', 1);
    EXPECT_FALSE(rig.image.IsLoaded());
    EXPECT_EQ(rig.state.unit, 2);
    EXPECT_EQ(rig.state.byteOrderSetting, 2);
    EXPECT_EQ(rig.state.parallelBase, 0x278);
    EXPECT_TRUE(rig.state.useDriver);
    EXPECT_EQ(rig.state.cd64Base, 0x330);
    EXPECT_EQ(rig.state.cd64Command, 'T');
    EXPECT_EQ(rig.state.cd64ReceiveSource, 1);
    EXPECT_EQ(rig.state.handshakeMode, 1); // kept for the life of the process
}

TEST(NoAnswerHint, OnlyTheDoctorV64ThroughTheDriverGetsTheModeOneNote) {
    PpdevPortBackend driver;
    SimulatedPortBackend bus;
    TransferState state;
    EXPECT_NE(NoAnswerHint(state, driver).find("handshake mode 1"), std::string::npos);
    EXPECT_EQ(NoAnswerHint(state, bus), "");
    state.unit = 2;
    EXPECT_EQ(NoAnswerHint(state, driver), "");
}

} // namespace
} // namespace q64::test
