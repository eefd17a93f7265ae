#include "browser/TransferCommands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/ImageHash.h"
#include "support/CommandBench.h"
#include "transfer/SimCd64.h"
#include "transfer/SimDoctorV64.h"
#include "engine/ImageHash.h"
#include "transfer/Sc64.h"
#include "transfer/SimEd64.h"
#include "transfer/SimSc64.h"
#include "transfer/SimSurgeon64.h"
#include "transfer/SimulatedPortBackend.h"

namespace q64::test {
namespace {

class TransferCommandsTest : public CommandBench {
protected:
    TransferCommandsTest() : port(bus) {
        settings.OutPort = 0x378;
        settings.CD64Port = 0x310;
        settings.SurgeonAddress = 0x300;
        settings.Surgeon = 1;
    }
    TransferCommands Commands() { return TransferCommands(Env(), TransferLink{state, port, surgeon, 2}); }
    bool StatusShown(const std::string& text) const {
        return std::find(ui.statuses.begin(), ui.statuses.end(), text) != ui.statuses.end();
    }

    SimulatedPortBackend bus;
    ParallelPort port;
    TransferState state;
    SurgeonState surgeon;
};

TEST_F(TransferCommandsTest, SendConfiguresFromTheSettingsAndShowsItsStatus) {
    SimDoctorV64& unit = bus.Attach(std::make_unique<SimDoctorV64>(0x378, 0));
    const samples::Bytes original = samples::MakeImage(Recipe(65536));
    dir.Write("Game.v64", original);
    List("Game.v64");
    Commands().Send();
    EXPECT_EQ(ui.captions, (std::vector<int>{61210}));
    EXPECT_EQ(ui.openProgress, 0);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(unit.UploadComplete());
    EXPECT_EQ(unit.AnnouncedLength(), original.size());
    EXPECT_EQ(state.parallelBase, 0x378);
    EXPECT_TRUE(StatusShown("Ready"));
    EXPECT_EQ(view->updates, 1); // the list itself is not read again
    EXPECT_EQ(view->refreshes, 0);
    EXPECT_FALSE(image.IsLoaded());
    EXPECT_EQ(dir.Read("Game.v64"), original);
}

TEST_F(TransferCommandsTest, CancelWhileWaitingForASilentUnitEndsTheSend) {
    bus.Attach(std::make_unique<SimDoctorV64>(0x378, 0, SimFault::Silent));
    dir.Write("Game.v64", samples::MakeImage(Recipe(65536)));
    List("Game.v64");
    ui.cancelAtPercent = 0;
    Commands().Send();
    EXPECT_EQ(ui.openProgress, 0);
    EXPECT_FALSE(image.IsLoaded());
}

// A port driver with nothing on it: reads the control register back as written.
class EmptyDriverPort final : public PortBackend {
public:
    void Write(PortAddress, std::uint8_t) override {}
    std::uint8_t Read(PortAddress) override { return 0xFF; }
    std::string Claim(PortAddress, int) override { return {}; }
    bool ReadsControlLines() const override { return false; }
    bool IsDriver() const override { return true; }
    std::string Name() const override { return "/dev/parport0"; }
};

TEST_F(TransferCommandsTest, GivingUpOnTheSyncThroughTheDriverExplainsTheWiring) {
    EmptyDriverPort driver;
    port.SetBackend(driver);
    dir.Write("Game.v64", samples::MakeImage(Recipe(65536)));
    List("Game.v64");
    ui.cancelAtPercent = 0;
    Commands().Send();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].text.find("handshake mode 1"), std::string::npos);
    EXPECT_EQ(ui.shown[0].icon, PromptIcon::Information);

    port.SetBackend(bus); // a bus that reads the lines: no note
    Commands().Send();
    EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(TransferCommandsTest, ReceiveAsksInTheDefaultFolderAndListsIt) {
    SimDoctorV64& unit = bus.Attach(std::make_unique<SimDoctorV64>(0x378, 0));
    const samples::Bytes served = samples::MakeImage(Recipe(131072));
    unit.SetImage(served);
    TempDir shown;
    shown.Write("Elsewhere.v64", samples::MakeImage(Recipe(4096)));
    view = std::make_unique<ModelCommandView>(image, settings, shown.Path());

    Commands().Receive(); // cancelled: nothing changes
    ASSERT_EQ(ui.pickRequests.size(), 1u);
    EXPECT_EQ(ui.pickRequests[0].folder, dir.Path());
    EXPECT_EQ(ui.pickRequests[0].defaultExtension, "V64");
    EXPECT_TRUE(ui.pickRequests[0].filter.empty());
    EXPECT_TRUE(ui.captions.empty());
    EXPECT_EQ(view->Folder(), shown.Path());

    // After a receive the list shows the default folder, whatever folder it showed.

    ui.files.push_back(dir.File("Got.v64"));
    Commands().Receive();
    EXPECT_EQ(ui.captions, (std::vector<int>{61209}));
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(dir.Read("Got.v64"), served);
    EXPECT_EQ(view->Folder(), dir.Path());
    EXPECT_EQ(view->shownFolders.back().second, CommandView::TreeFollows::No);
    EXPECT_GE(view->model.FindRow("Got.v64"), 0);
}

TEST_F(TransferCommandsTest, Cd64ReceiveAsksForTheSizeFirst) {
    settings.Unit = 2;
    SimCd64& unit = bus.Attach(std::make_unique<SimCd64>(0x310));
    unit.SetImage(samples::MakeImage(Recipe(64 * 131072)));
    List();
    ui.files.push_back(dir.File("Cart.v64"));
    Commands().Receive(); // size dialog cancelled
    EXPECT_TRUE(ui.captions.empty());
    EXPECT_FALSE(dir.Exists("Cart.v64"));

    ui.files.push_back(dir.File("Cart.v64"));
    ui.receiveMbit.push_back(64);
    Commands().Receive();
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(dir.Read("Cart.v64").size(), 64u * 131072);
}

TEST_F(TransferCommandsTest, FailedReceiveLeavesAnExistingFileAlone) {
    SimDoctorV64& unit = bus.Attach(std::make_unique<SimDoctorV64>(0x378, 0));
    unit.SetImage(samples::MakeImage(Recipe(8 * 131072)));
    const samples::Bytes kept = samples::MakeText();
    dir.Write("Got.v64", kept);
    List();
    ui.files.push_back(dir.File("Got.v64"));
    ui.cancelAtPercent = 50;
    Commands().Receive();
    EXPECT_EQ(dir.Read("Got.v64"), kept);
    EXPECT_EQ(ui.openProgress, 0);
    EXPECT_EQ(dir.Names().size(), 1u); // no part file left behind
}

TEST_F(TransferCommandsTest, SurgeonControlLoadAndSave) {
    SimSurgeon64& adapter = bus.Attach(std::make_unique<SimSurgeon64>(0x300));
    samples::Bytes pak(kMemPakSize);
    for (std::size_t i = 0; i < pak.size(); ++i) pak[i] = static_cast<std::uint8_t>(i * 7);
    dir.Write("Pak.mpk", pak);
    List("Pak.mpk");

    Commands().SurgeonLoad(); // the console still has control: nothing
    EXPECT_TRUE(adapter.ControlWrites().empty());
    Commands().SurgeonPc();
    EXPECT_EQ(surgeon.mode, 2);
    EXPECT_EQ(adapter.ControlWrites(), (std::vector<std::uint8_t>{0x44, 0x64, 0x74, 0x75, 0x77, 0x77}));
    Commands().SurgeonLoad();
    EXPECT_EQ(adapter.Pak(), pak);

    adapter.SetPak(samples::Bytes(kMemPakSize, 0xA5));
    Commands().SurgeonSave(); // cancelled
    ui.files.push_back(dir.File("Saved.sav"));
    Commands().SurgeonSave();
    EXPECT_EQ(ui.pickRequests.back().defaultExtension, "SAV");
    EXPECT_EQ(dir.Read("Saved.sav"), samples::Bytes(kMemPakSize, 0xA5));

    Commands().SurgeonConsole();
    EXPECT_EQ(surgeon.mode, 1);
    EXPECT_TRUE(ui.errors.empty());
}

} // namespace
} // namespace q64::test

namespace q64::test {
namespace {

// The SummerCart64 through the commands, against the simulated cart.
class Sc64CommandsTest : public TransferCommandsTest {
protected:
    Sc64CommandsTest() {
        settings.Unit = 3;
        state.sc64Opener = [this](const std::string&, std::string&) { return std::make_unique<SimSc64Stream>(cart); };
    }
    SimSc64 cart;
};

// The question starts on the save type the image's header names, else the
// ROM database's, else the one chosen for the cart id before; the status bar
// says which was used and why.
struct SaveQuestionCase {
    const char* name;
    int headerType;          // the developer save byte's type; -1: no "ED"
    bool inDatabase;         // the database names FlashRAM for the image
    int remembered;          // chosen for the cart id before (the cart's numbering); -1: never
    SaveType preset;
    const char* reason;
    std::optional<SaveType> answer; // nothing: the question is cancelled
    std::uint32_t cartType;
    const char* status;
};

TEST_F(Sc64CommandsTest, TheSaveTypeQuestionStartsOnWhatTheImageSays) {
    const SaveQuestionCase cases[] = {
        {"header", 2, true, 4, SaveType::Eeprom16k, "save type EEPROM 16k from the image's header",
         SaveType::Eeprom16k, 2, "Save type EEPROM 16k from the image's header. Ready"},
        {"database", -1, true, 4, SaveType::FlashRam, "save type FlashRAM from the ROM database (Zed Quest (U))",
         SaveType::Sram256k, 3, "Save type SRAM 256k, as chosen. Ready"},
        {"remembered", -1, false, 4, SaveType::FlashRam, "last chosen for this cart id", SaveType::FlashRam, 4,
         "Save type FlashRAM, as chosen. Ready"},
        {"cancelled", -1, false, -1, SaveType::None,
         "save type none: neither the image's header nor the ROM database names one", std::nullopt, 0, nullptr},
    };
    for (const SaveQuestionCase& c : cases) {
        SCOPED_TRACE(c.name);
        samples::ImageRecipe recipe = Recipe(65536);
        recipe.cartId = "ZQ";
        samples::Bytes canonical = samples::MakeImage(recipe);
        if (c.headerType >= 0) {
            canonical[0x3C] = 'E';
            canonical[0x3D] = 'D';
            canonical[0x3F] = static_cast<std::uint8_t>(c.headerType << 4);
        }
        const std::string path = dir.Write("Game.z64", canonical);
        ImageHashes hashes;
        std::string message;
        ASSERT_EQ(HashImageFile(path, hashes, {}, message, Digests::Database), EngineResult::Ok);
        const std::string ini = "[" + (c.inDatabase ? HexDigestUpper(hashes.md5) : std::string(32, '0')) +
                                "]\nGoodName=Zed Quest (U)\nSaveType=Flash RAM\n";
        settings.RomDatabase = dir.Write(c.name + std::string(".ini"), samples::Bytes(ini.begin(), ini.end()));
        settings.SC64SaveTypes.clear();
        if (c.remembered >= 0) settings.SC64SaveTypes["ZQ"] = c.remembered;
        cart.SetConfig(sc64::kConfigSaveType, 7);
        ui.statuses.clear();
        ui.saveTypePresets.clear();
        ui.saveTypeReasons.clear();
        ui.saveTypes.clear();
        if (c.answer) ui.saveTypes.push_back(*c.answer);
        List("Game.z64");
        Commands().Send();
        EXPECT_EQ(ui.saveTypePresets, std::vector<SaveType>{c.preset});
        EXPECT_EQ(ui.saveTypeReasons, std::vector<std::string>{c.reason});
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_EQ(cart.Config(sc64::kConfigSaveType), c.answer ? c.cartType : 7u);
        if (c.status) {
            EXPECT_EQ(ui.statuses.back(), c.status);
            // The save byte takes the cart id's place: "ED".
            EXPECT_EQ(settings.SC64SaveTypes.at(c.headerType >= 0 ? "ED" : "ZQ"), static_cast<int>(c.cartType));
        }
    }
}

TEST_F(Sc64CommandsTest, ReceiveAsksTheSizeAndOffersZ64) {
    cart.SetMemory(0, samples::MakeImage(Recipe(131072)));
    settings.DefaultDir = dir.Path();
    List();
    ui.files = {dir.File("Back.z64")};
    ui.receiveMbit = {1};
    Commands().Receive();
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(dir.Read("Back.z64").size(), 131072u);
}

// The EverDrive-64 through the commands, against the simulated cart.
class Ed64CommandsTest : public TransferCommandsTest {
protected:
    Ed64CommandsTest() {
        settings.Unit = 4;
        state.ed64Opener = [this](const std::string&, std::string&) { return std::make_unique<SimEd64Stream>(cart); };
        state.ed64Waits.bootPauseMs = 0;
    }
    SimEd64 cart;
};

TEST_F(Ed64CommandsTest, SendAsksTheSaveTypePresetFromTheRomDatabase) {
    const samples::Bytes canonical = samples::MakeImage(Recipe(65536));
    CanonicalHasher hasher(ImageFormat::BigEndian, Digests::Database);
    hasher.Add(canonical.data(), canonical.size());
    const std::string md5 = HexDigestUpper(hasher.Finish().md5);
    const samples::Bytes ini = [&] {
        const std::string text = "[" + md5 + "]\nGoodName=Sample Game (E)\nSaveType=Eeprom 16KB\n";
        return samples::Bytes(text.begin(), text.end());
    }();
    settings.RomDatabase = dir.Write("db.ini", ini);
    dir.Write("Game.v64", samples::SwapPairs(canonical));
    List("Game.v64");
    ui.ed64SaveTypes = {SaveType::FlashRam};
    Commands().Send();
    EXPECT_EQ(ui.ed64SaveTypeQuestions, std::vector<std::string>{
                                            "EEPROM 16k; save type EEPROM 16k from the ROM database (Sample Game (E))"});
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(cart.Rom(0x3C, 4), (samples::Bytes{'E', 'D', 'E', 0x50}));
    EXPECT_TRUE(cart.Started());
    EXPECT_EQ(dir.Read("Game.v64"), samples::SwapPairs(canonical));

    Commands().Send(); // the question cancelled: nothing is sent
    EXPECT_EQ(ui.captions.size(), 1u);
    EXPECT_EQ(cart.Commands().size(), 5u);
}

TEST_F(Ed64CommandsTest, ReceiveAsksTheSizeAndOffersZ64) {
    cart.SetRom(0, samples::MakeImage(Recipe(131072)));
    settings.DefaultDir = dir.Path();
    List();
    ui.files = {dir.File("Back.z64")};
    ui.receiveMbit = {1};
    Commands().Receive();
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(ui.pickRequests.back().defaultExtension, "z64");
    EXPECT_EQ(dir.Read("Back.z64"), samples::MakeImage(Recipe(131072)));
}

} // namespace
} // namespace q64::test
