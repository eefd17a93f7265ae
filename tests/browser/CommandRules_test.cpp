// Which commands are offered for each kind of selected file, each unit and
// each Surgeon64 state.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "browser/CommandRules.h"
#include "engine/EngineTypes.h"

namespace q64 {
namespace {

using C = CommandId;

ViewState Selected(FileKind kind, bool backup = false, bool cd = false, int viewer = 2) {
    ViewState v;
    v.currentFormat = ToInt(kind);
    v.currentRow = 0;
    v.currentIsBackup = backup;
    v.onCdRom = cd;
    v.viewerKind = viewer;
    return v;
}

std::map<C, bool> Enabled(const ViewState& v, const Settings& s, int osKind = 0) {
    std::map<C, bool> out;
    for (C id : {C::Send, C::Receive, C::ReSize, C::ChangeFormat, C::IpsPatch, C::CalcCrc, C::EditTitle, C::Compress,
                 C::DeCompress, C::ViewFile, C::RenameFile, C::DeleteFile, C::TuneBios, C::ManageDx256, C::Refresh,
                 C::Properties, C::RomList, C::Exit})
        out[id] = StateOf(id, v, CommandContext{s, osKind}).enabled;
    return out;
}

// The defaults, with a binary viewer of the user's own (see the View File test).
const Settings kDefaults = [] {
    Settings s;
    s.DefBView = "ghex";
    return s;
}();

// The desktop opener would hand an image back to this program: with the
// binary viewer at its default, View File is greyed for images and binary
// files and says why; text files still open with the desktop's default.
TEST(CommandRules, ViewFileOnBinaryFilesNeedsABinaryViewer) {
    const Settings plain;
    const CommandState greyed = StateOf(C::ViewFile, Selected(FileKind::Image), CommandContext{plain});
    EXPECT_FALSE(greyed.enabled);
    EXPECT_EQ(greyed.tip, kNoBinaryViewerTip);
    EXPECT_TRUE(StateOf(C::ViewFile, Selected(FileKind::None, false, false, 1), CommandContext{plain}).enabled);
    EXPECT_TRUE(StateOf(C::ViewFile, Selected(FileKind::Image), CommandContext{kDefaults}).enabled);
}

TEST(CommandRules, PlainImageOffersEveryImageCommand) {
    const auto e = Enabled(Selected(FileKind::Image), kDefaults);
    for (C id : {C::Send, C::ReSize, C::ChangeFormat, C::IpsPatch, C::CalcCrc, C::EditTitle, C::Compress,
                 C::ViewFile, C::RenameFile, C::DeleteFile})
        EXPECT_TRUE(e.at(id)) << static_cast<int>(id);
    EXPECT_FALSE(e.at(C::DeCompress));
    EXPECT_FALSE(e.at(C::TuneBios));
    EXPECT_FALSE(e.at(C::ManageDx256));
}

TEST(CommandRules, CompressedImageOffersDecompressAndTitleOnly) {
    const auto e = Enabled(Selected(FileKind::CompressedImage), kDefaults);
    EXPECT_TRUE(e.at(C::DeCompress));
    EXPECT_TRUE(e.at(C::EditTitle));
    EXPECT_TRUE(e.at(C::Send));
    for (C id : {C::Compress, C::ReSize, C::ChangeFormat, C::IpsPatch, C::CalcCrc})
        EXPECT_FALSE(e.at(id)) << static_cast<int>(id);
}

TEST(CommandRules, BackupImageIsNeverChanged) {
    const auto e = Enabled(Selected(FileKind::Image, /*backup=*/true), kDefaults);
    for (C id : {C::Send, C::RenameFile, C::DeleteFile, C::ViewFile}) EXPECT_TRUE(e.at(id)) << static_cast<int>(id);
    for (C id : {C::ReSize, C::ChangeFormat, C::IpsPatch, C::CalcCrc, C::EditTitle, C::Compress, C::DeCompress})
        EXPECT_FALSE(e.at(id)) << static_cast<int>(id);
}

TEST(CommandRules, CdRomAllowsOnlyChecksAndSends) {
    const auto e = Enabled(Selected(FileKind::Image, false, /*cd=*/true), kDefaults);
    EXPECT_TRUE(e.at(C::CalcCrc));
    EXPECT_TRUE(e.at(C::Send));
    for (C id : {C::ReSize, C::ChangeFormat, C::IpsPatch, C::EditTitle, C::Compress, C::RenameFile, C::DeleteFile})
        EXPECT_FALSE(e.at(id)) << static_cast<int>(id);
}

TEST(CommandRules, CreatePatchOnlyReadsSoAnyPlainImageOffersIt) {
    const CommandContext context{kDefaults, 0};
    for (const auto& [view, offered] : std::vector<std::pair<ViewState, bool>>{
             {Selected(FileKind::Image), true},
             {Selected(FileKind::Image, /*backup=*/true), true},
             {Selected(FileKind::Image, false, /*cd=*/true), true},
             {Selected(FileKind::CompressedImage), false},
             {Selected(FileKind::IpsPatch), false},
             {ViewState{}, false},
         })
        EXPECT_EQ(StateOf(C::CreatePatch, view, context).enabled, offered) << view.currentFormat;
}

TEST(CommandRules, BiosFileOffersTuningAndSend) {
    const auto e = Enabled(Selected(FileKind::Doctor64Bios), kDefaults);
    EXPECT_TRUE(e.at(C::TuneBios));
    EXPECT_TRUE(e.at(C::Send));
    EXPECT_FALSE(e.at(C::EditTitle));
    EXPECT_FALSE(e.at(C::CalcCrc));
    EXPECT_FALSE(Enabled(Selected(FileKind::Doctor64Bios, true), kDefaults).at(C::TuneBios));
}

TEST(CommandRules, TaggedSaveIsSentOnlyToADoctorV64) {
    Settings s;
    for (int unit : {0, 1, 2}) {
        s.Unit = unit;
        EXPECT_EQ(Enabled(Selected(FileKind::TaggedSave), s).at(C::Send), unit == 0) << unit;
    }
    for (FileKind kind : {FileKind::IpsPatch, FileKind::SavRam, FileKind::Dx256}) {
        s.Unit = 1;
        EXPECT_TRUE(Enabled(Selected(kind), s).at(C::Send)) << ToInt(kind);
    }
}

TEST(CommandRules, TextAndUnknownFiles) {
    // A text file keeps the previous file's format; only the viewer changes.
    ViewState text;
    text.currentRow = 2;
    text.viewerKind = 1;
    auto e = Enabled(text, kDefaults);
    EXPECT_TRUE(e.at(C::ViewFile));
    EXPECT_FALSE(e.at(C::Send));
    EXPECT_TRUE(e.at(C::RenameFile));
    ViewState unknown;
    unknown.currentRow = 3;
    e = Enabled(unknown, kDefaults);
    EXPECT_FALSE(e.at(C::ViewFile));
    EXPECT_FALSE(e.at(C::Send));
    EXPECT_TRUE(e.at(C::DeleteFile));
}

TEST(CommandRules, NothingSelected) {
    const auto e = Enabled(ViewState{}, kDefaults);
    for (C id : {C::Send, C::ReSize, C::CalcCrc, C::Compress, C::DeCompress, C::ViewFile, C::RenameFile,
                 C::DeleteFile, C::TuneBios})
        EXPECT_FALSE(e.at(id)) << static_cast<int>(id);
    for (C id : {C::Receive, C::Refresh, C::Properties, C::RomList, C::Exit}) EXPECT_TRUE(e.at(id));
    // Send tests the selection even for an image format left behind.
    ViewState stale;
    stale.currentFormat = ToInt(FileKind::Image);
    EXPECT_FALSE(SendEnabled(stale, kDefaults));
    EXPECT_TRUE(StateOf(C::EditTitle, stale, CommandContext{kDefaults}).enabled);
}

TEST(CommandRules, ReceiveDependsOnUnitAndPortAccess) {
    Settings s;
    const ViewState none;
    const auto receive = [&](int unit, int osKind) {
        s.Unit = unit;
        return StateOf(C::Receive, none, CommandContext{s, osKind}).enabled;
    };
    EXPECT_TRUE(receive(0, 0));
    EXPECT_TRUE(receive(0, 2));
    EXPECT_FALSE(receive(1, 0));
    EXPECT_FALSE(receive(1, 2));
    EXPECT_FALSE(receive(2, 0));
    EXPECT_TRUE(receive(2, 1));
    EXPECT_TRUE(receive(2, 2));
}

TEST(CommandRules, Cd64ItemsFollowUnitAndTheirSettings) {
    Settings s;
    const ViewState none;
    auto state = [&](C id) { return StateOf(id, none, CommandContext{s}); };
    EXPECT_FALSE(state(C::Cd64SendExecutes).enabled);
    s.Unit = 2;
    EXPECT_EQ(state(C::Cd64SendExecutes), (CommandState{true, true, true, {}}));
    EXPECT_EQ(state(C::Cd64SendNothing), (CommandState{true, true, false, {}}));
    EXPECT_EQ(state(C::Cd64FromCart), (CommandState{true, true, true, {}}));
    EXPECT_EQ(state(C::Cd64FromDram), (CommandState{true, true, false, {}}));
    s.CD64Comm = 'T';
    s.CD64ReceiveType = 1;
    EXPECT_FALSE(state(C::Cd64SendExecutes).checked);
    EXPECT_TRUE(state(C::Cd64SendNothing).checked);
    EXPECT_FALSE(state(C::Cd64FromCart).checked);
    EXPECT_TRUE(state(C::Cd64FromDram).checked);
    s.CD64Comm = 'Q'; // neither value: neither item ticked
    EXPECT_FALSE(state(C::Cd64SendExecutes).checked);
    EXPECT_FALSE(state(C::Cd64SendNothing).checked);
}

TEST(CommandRules, SurgeonItemsFollowAdapterAndMode) {
    Settings s;
    const ViewState none;
    auto state = [&](C id, SurgeonMode mode) { return StateOf(id, none, CommandContext{s, 0, mode}); };
    for (C id : {C::SurgeonConsole, C::SurgeonPc, C::SurgeonLoad, C::SurgeonSave})
        EXPECT_FALSE(state(id, SurgeonMode::PcControls).enabled);
    s.Surgeon = 1;
    EXPECT_EQ(state(C::SurgeonConsole, SurgeonMode::ConsoleControls), (CommandState{true, true, true, {}}));
    EXPECT_EQ(state(C::SurgeonPc, SurgeonMode::ConsoleControls), (CommandState{true, true, false, {}}));
    EXPECT_FALSE(state(C::SurgeonLoad, SurgeonMode::ConsoleControls).enabled);
    EXPECT_FALSE(state(C::SurgeonSave, SurgeonMode::ConsoleControls).enabled);
    EXPECT_TRUE(state(C::SurgeonPc, SurgeonMode::PcControls).checked);
    EXPECT_TRUE(state(C::SurgeonLoad, SurgeonMode::PcControls).enabled);
    EXPECT_TRUE(state(C::SurgeonSave, SurgeonMode::PcControls).enabled);
}

TEST(CommandRules, SaveCommandsFollowTheSavesKindsAndTheUnit) {
    struct Case {
        FileKind kind;
        bool backup;
        std::vector<C> offered; // of the save commands below
    };
    const std::vector<C> saveCommands = {C::ManageDx256, C::ManageMemoryPak, C::ConvertSave, C::Sc64BackupSave,
                                         C::Sc64RestoreSave};
    const std::vector<Case> cases = {
        {FileKind::Dx256, false, {C::ManageDx256}},
        {FileKind::Dx256, true, {}}, // a .bak is never changed
        {FileKind::MemoryPak, false, {C::ManageMemoryPak, C::ConvertSave}},
        {FileKind::MemoryPak, true, {C::ConvertSave}}, // converting only reads it
        {FileKind::GameSave, false, {C::ConvertSave}},
        {FileKind::SavRam, false, {C::ConvertSave}},
        {FileKind::Image, false, {}},
    };
    for (const Case& c : cases)
        for (C id : saveCommands) {
            const bool offered = std::find(c.offered.begin(), c.offered.end(), id) != c.offered.end();
            EXPECT_EQ(StateOf(id, Selected(c.kind, c.backup), CommandContext{kDefaults}).enabled, offered)
                << ToInt(c.kind) << " " << static_cast<int>(id);
        }
    Settings sc64;
    sc64.Unit = 3;
    EXPECT_TRUE(StateOf(C::Sc64BackupSave, ViewState{}, CommandContext{sc64}).enabled);
    EXPECT_TRUE(StateOf(C::Sc64RestoreSave, Selected(FileKind::GameSave), CommandContext{sc64}).enabled);
    EXPECT_FALSE(StateOf(C::Sc64RestoreSave, Selected(FileKind::Image), CommandContext{sc64}).enabled);
}

TEST(CommandRules, TheUsbCartsTakeImagesAndReceive) {
    Settings s;
    s.Unit = 3;
    for (FileKind kind : {FileKind::Image, FileKind::CompressedImage, FileKind::SavRam})
        EXPECT_TRUE(Enabled(Selected(kind), s).at(C::Send)) << ToInt(kind);
    for (FileKind kind : {FileKind::Doctor64Bios, FileKind::IpsPatch, FileKind::TaggedSave, FileKind::Dx256})
        EXPECT_FALSE(Enabled(Selected(kind), s).at(C::Send)) << ToInt(kind);
    for (int osKind : {0, 2}) EXPECT_TRUE(StateOf(C::Receive, ViewState{}, CommandContext{s, osKind}).enabled);
    s.Unit = 4; // the EverDrive-64: images only
    for (FileKind kind : {FileKind::Image, FileKind::CompressedImage})
        EXPECT_TRUE(Enabled(Selected(kind), s).at(C::Send)) << ToInt(kind);
    for (FileKind kind : {FileKind::SavRam, FileKind::Doctor64Bios, FileKind::IpsPatch, FileKind::TaggedSave})
        EXPECT_FALSE(Enabled(Selected(kind), s).at(C::Send)) << ToInt(kind);
    for (int osKind : {0, 2}) EXPECT_TRUE(StateOf(C::Receive, ViewState{}, CommandContext{s, osKind}).enabled);
}

} // namespace
} // namespace q64
