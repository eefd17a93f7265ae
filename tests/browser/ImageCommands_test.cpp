#include "browser/ImageCommands.h"

#include <gtest/gtest.h>

#include "engine/BiosParameters.h"
#include "engine/Checksum.h"
#include "engine/PatchMaker.h"
#include "engine/RomImage.h"
#include "support/CommandBench.h"

namespace q64::test {
namespace {

using ImageCommandsTest = CommandBench;

ChecksumValues Check(const std::string& path) {
    RomImage image;
    ChecksumValues values;
    EXPECT_EQ(image.Identify(path), EngineResult::Ok);
    EXPECT_EQ(CalcChecksum(image, BackupMode::Keep, ChecksumFix::No, values), EngineResult::Ok);
    return values;
}

// An image whose stored checksums do not match its body (the synthetic body
// is not summed when it is made).
samples::Bytes BadChecksumImage() { return samples::MakeImage(samples::ImageRecipe{}); }

TEST_F(ImageCommandsTest, CompressAndDecompressRoundTripWithTheirCaptions) {
    const samples::Bytes original = samples::MakeImage(Recipe());
    dir.Write("Game.v64", original);
    settings.Backup = 0;
    List("Game.v64");
    ImageCommands(Env()).Compress();
    EXPECT_EQ(ui.captions, (std::vector<int>{61204}));
    EXPECT_EQ(ui.openProgress, 0); // the window is gone again
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(view->model.CurrentFormat(), ToInt(FileKind::CompressedImage));
    EXPECT_EQ(view->SelectedName(), "Game.v64"); // reselected by name
    EXPECT_FALSE(image.IsLoaded());
    EXPECT_FALSE(ui.percents.empty());

    ImageCommands(Env()).DeCompress();
    EXPECT_EQ(ui.captions.back(), 61206);
    EXPECT_EQ(dir.Read("Game.v64"), original);
    EXPECT_EQ(view->refreshes, 2);
    EXPECT_FALSE(dir.Exists("Game.bak")); // temporary backups go
}

TEST_F(ImageCommandsTest, CancelledCompressLeavesTheFileAsItWas) {
    const samples::Bytes original = samples::MakeImage(Recipe(4 * 1048576));
    dir.Write("Game.v64", original);
    List("Game.v64");
    ui.cancelAtPercent = 30;
    ImageCommands(Env()).Compress();
    EXPECT_EQ(dir.Read("Game.v64"), original);
    EXPECT_EQ(ui.openProgress, 0);
    EXPECT_EQ(view->refreshes, 1);
}

TEST_F(ImageCommandsTest, ChangeFormatSwapsEveryPairAndTheNameFollows) {
    const samples::Bytes original = samples::MakeImage(Recipe());
    dir.Write("Game.z64", original);
    dir.Write("Game.rom", original);
    List("Game.z64");
    ImageCommands(Env()).ChangeFormat();
    EXPECT_EQ(ui.captions, (std::vector<int>{61207}));
    EXPECT_EQ(dir.Read("Game.v64"), samples::SwapPairs(original));
    EXPECT_FALSE(dir.Exists("Game.z64"));
    EXPECT_EQ(view->SelectedName(), "Game.v64");
    EXPECT_EQ(ui.statuses.back(), "Game.z64 renamed to Game.v64 to fit its new byte order; backup saved as Game.z64.bak");
    // Any other name keeps the toggle in place, and says which backup it kept.
    ASSERT_TRUE(view->Select("Game.rom"));
    ImageCommands(Env()).ChangeFormat();
    EXPECT_EQ(dir.Read("Game.rom"), samples::SwapPairs(original));
    EXPECT_EQ(ui.statuses.back(), "Backup saved as Game.rom.bak");
    EXPECT_EQ(dir.Read("Game.rom.bak"), original);
}

TEST_F(ImageCommandsTest, ResizeAsksFirstAndCancelChangesNothing) {
    const samples::Bytes original = samples::MakeImage(Recipe());
    dir.Write("Game.v64", original);
    List("Game.v64");
    ImageCommands(Env()).ReSize(); // no answer: cancelled
    EXPECT_TRUE(ui.captions.empty());
    EXPECT_EQ(view->refreshes, 0);
    EXPECT_EQ(dir.Read("Game.v64"), original);

    // A smaller size asks first, naming what is cut off; No keeps the image.
    ui.resizeMbit.push_back(2);
    ImageCommands(Env()).ReSize();
    EXPECT_EQ(ui.resizeShown, (std::vector<std::int64_t>{1052672, 1052672}));
    EXPECT_TRUE(ui.Asked());
    EXPECT_EQ(ui.shown.back().text, "Re-Size to 2 MBit cuts the last 6.0 MBit (790528 bytes) off Game.v64.\n\nCut the image?");
    EXPECT_EQ(dir.Read("Game.v64"), original);
    ui.resizeMbit.push_back(2);
    ui.yesNo.push_back(true);
    ImageCommands(Env()).ReSize();
    EXPECT_EQ(ui.captions, (std::vector<int>{61208}));
    EXPECT_EQ(dir.Read("Game.v64").size(), 2u * 131072);
    // A larger size pads without a question.
    ui.resizeMbit.push_back(16);
    ImageCommands(Env()).ReSize();
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(dir.Read("Game.v64").size(), 16u * 131072);
}

TEST_F(ImageCommandsTest, ValidChecksumIsReportedWithBothValues) {
    dir.Write("Game.v64", samples::MakeImage(samples::ImageRecipe{}));
    {
        RomImage fixer;
        ChecksumValues fixed;
        ASSERT_EQ(fixer.Identify(dir.File("Game.v64")), EngineResult::Ok);
        ASSERT_EQ(CalcChecksum(fixer, BackupMode::NoneInPlace, ChecksumFix::Yes, fixed), EngineResult::Ok);
    }
    const ChecksumValues v = Check(dir.File("Game.v64"));
    ASSERT_TRUE(v.Valid());
    List("Game.v64");
    ImageCommands(Env()).CalculateCrc();
    ASSERT_EQ(ui.shown.size(), 1u);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Valid Checksum Found\n0x%08X:0x%08X", v.stored1, v.stored2);
    EXPECT_EQ(ui.shown[0].text, expected);
    EXPECT_EQ(ui.shown[0].icon, PromptIcon::Information);
    EXPECT_FALSE(image.IsLoaded());
    EXPECT_EQ(view->refreshes, 1);
}

TEST_F(ImageCommandsTest, InvalidChecksumOffersTheFixAndYesWritesIt) {
    const samples::Bytes bad = BadChecksumImage();
    dir.Write("Game.v64", bad);
    const ChecksumValues v = Check(dir.File("Game.v64"));
    ASSERT_FALSE(v.Valid());
    List("Game.v64");

    ImageCommands(Env()).CalculateCrc(); // No
    ASSERT_TRUE(ui.Asked());
    char expected[160];
    std::snprintf(expected, sizeof expected,
                  "Invalid Checksum Found\nOriginal\t0x%08X:0x%08X\nNew\t0x%08X:0x%08X\n\nDo you want to Fix it ?",
                  v.stored1, v.stored2, v.new1, v.new2);
    EXPECT_EQ(ui.shown.back().text, expected);
    EXPECT_EQ(ui.shown.back().icon, PromptIcon::Error);
    EXPECT_EQ(dir.Read("Game.v64"), bad);

    ui.yesNo.push_back(true);
    ImageCommands(Env()).CalculateCrc();
    EXPECT_TRUE(Check(dir.File("Game.v64")).Valid());
    EXPECT_EQ(dir.Read("Game.bak"), bad); // "Backup" 1 keeps the original
}

TEST_F(ImageCommandsTest, OnACdRomTheInvalidChecksumIsOnlyReported) {
    dir.Write("Game.v64", BadChecksumImage());
    List("Game.v64");
    view->model.SetOnCdRom(true);
    ui.yesNo.push_back(true);
    ImageCommands(Env()).CalculateCrc();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_FALSE(ui.shown[0].question);
    EXPECT_EQ(ui.shown[0].text.find("Fix"), std::string::npos);
    EXPECT_EQ(ui.shown[0].text.rfind("Invalid Checksum Found\nOriginal\t0x", 0), 0u);
    EXPECT_FALSE(Check(dir.File("Game.v64")).Valid());
}

TEST_F(ImageCommandsTest, FailedChecksumShowsOnlyTheEngineMessage) {
    dir.Write("Tiny.v64", samples::MakeImage(Recipe(2048)));
    List("Tiny.v64");
    ImageCommands(Env()).CalculateCrc();
    EXPECT_TRUE(ui.shown.empty()); // never "Valid Checksum Found" for a check that failed
    EXPECT_EQ(view->refreshes, 1);
}

TEST_F(ImageCommandsTest, EditTitleIsPresetWithTheRowAndWritesTheNewOne) {
    samples::ImageRecipe r = Recipe();
    r.title = "OLD NAME";
    dir.Write("Game.v64", samples::MakeImage(r));
    List("Game.v64");
    ImageCommands(Env()).EditTitle(); // cancelled
    EXPECT_EQ(ui.titlePresets, (std::vector<std::string>{"OLD NAME"}));
    EXPECT_EQ(view->refreshes, 0);

    ui.titles.push_back("NEW NAME");
    ImageCommands(Env()).EditTitle();
    EXPECT_EQ(view->Entry()->DisplayTitle(), "NEW NAME");
    EXPECT_EQ(view->SelectedName(), "Game.v64");
}

TEST_F(ImageCommandsTest, IpsPatchAsksForAPatchAndAppliesIt) {
    dir.Write("Game.v64", samples::MakeImage(Recipe()));
    dir.Write("Fix.ips", samples::MakeIps({{0x2000, {1, 2, 3}}}));
    dir.Write("Broken.ips", samples::Bytes{'N', 'O', 'P', 'E'});
    List("Game.v64");
    ui.files.push_back(dir.File("Broken.ips"));
    const samples::Bytes before = dir.Read("Game.v64");
    ImageCommands(Env()).IpsPatch();
    EXPECT_EQ(ui.pickRequests[0].filter, "Patch Files (*.IPS;*.BPS)|*.IPS;*.BPS|IPS Files (*.IPS)|*.IPS|"
                                         "BPS Files (*.BPS)|*.BPS|All Files (*.*)|*.*||");
    EXPECT_EQ(ui.errors.size(), 1u); // the engine says why
    EXPECT_EQ(dir.Read("Game.v64"), before);

    ui.files.push_back(dir.File("Fix.ips"));
    ImageCommands(Env()).IpsPatch();
    const samples::Bytes after = dir.Read("Game.v64");
    EXPECT_EQ(after[0x2000], 1);
    EXPECT_EQ(after[0x2002], 3);
}

TEST_F(ImageCommandsTest, IpsPatchTakesBpsPatchesToo) {
    const samples::Bytes original = samples::MakeImage(Recipe());
    samples::Bytes modified = original;
    modified[0x3000] ^= 0xFF;
    dir.Write("Game.v64", original);
    dir.Write("Fix.bps", MakeBpsPatch(original.data(), original.size(), modified.data(), modified.size()));
    List("Game.v64");
    ui.files.push_back(dir.File("Fix.bps"));
    ImageCommands(Env()).IpsPatch();
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(dir.Read("Game.v64"), modified);
    EXPECT_EQ(view->SelectedName(), "Game.v64");
}

TEST_F(ImageCommandsTest, CreatePatchAsksForTheModifiedImageThenTheName) {
    const samples::Bytes original = samples::MakeImage(Recipe());
    samples::Bytes modified = original;
    modified[0x3000] ^= 0xFF;
    dir.Write("Game.v64", original);
    dir.Write("Hack.v64", modified);
    List("Game.v64");
    ImageCommands(Env()).CreatePatch(); // the first picker cancelled
    ui.files.push_back(dir.File("Hack.v64"));
    ImageCommands(Env()).CreatePatch(); // the second picker cancelled
    EXPECT_EQ(view->refreshes, 0);
    ASSERT_EQ(ui.pickRequests.size(), 3u);
    EXPECT_EQ(ui.pickRequests[0].title, "Select the Modified Image");
    EXPECT_EQ(ui.pickRequests[0].filter,
              "Image Files (*.V64;*.Z64;*.N64;*.ROM)|*.V64;*.Z64;*.N64;*.ROM|All Files (*.*)|*.*||");
    EXPECT_EQ(ui.pickRequests[2].filter, std::string(kPatchSaveFilter));
    EXPECT_EQ(ui.pickRequests[2].defaultExtension, "ips");
    EXPECT_EQ(ui.pickRequests[2].fileName, "Hack.ips");
    EXPECT_EQ(ui.pickRequests[2].folder, dir.Path());

    for (const char* name : {"Fix.ips", "Fix.bps"}) {
        ui.files.push_back(dir.File("Hack.v64"));
        ui.files.push_back(dir.File(name));
        ImageCommands(Env()).CreatePatch();
        EXPECT_TRUE(ui.errors.empty());
        EXPECT_EQ(ui.shown.back().text, "Patch Created\n" + dir.File(name)); // success is said
        const samples::Bytes patch = dir.Read(name);
        EXPECT_EQ(patch[0], name[4] == 'i' ? 'P' : 'B');
    }
    const int creating = static_cast<int>(ProgressCaption::CreatingPatch);
    EXPECT_EQ(ui.captions, (std::vector<int>{creating, creating})); // none while only the pickers were shown
    EXPECT_EQ(ui.percents.back(), 100);
    EXPECT_EQ(ui.openProgress, 0);
    // Cancel: nothing written, nothing more said.
    const std::size_t shown = ui.shown.size();
    ui.cancelAtPercent = 0;
    ui.files.push_back(dir.File("Hack.v64"));
    ui.files.push_back(dir.File("Gone.bps"));
    ImageCommands(Env()).CreatePatch();
    EXPECT_FALSE(dir.Exists("Gone.bps"));
    EXPECT_EQ(ui.shown.size(), shown);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(dir.Read("Game.v64"), original);
    EXPECT_EQ(view->SelectedName(), "Game.v64");
    EXPECT_FALSE(image.IsLoaded());
}

TEST_F(ImageCommandsTest, CreatePatchOffersBpsForImagesOver16MiB) {
    dir.Write("Big.v64", samples::MakeImage(Recipe(24 * 1048576)));
    List("Big.v64");
    ui.files.push_back(dir.File("Big.v64"));
    ImageCommands(Env()).CreatePatch();
    ASSERT_EQ(ui.pickRequests.size(), 2u);
    EXPECT_EQ(ui.pickRequests[1].defaultExtension, "bps");
    EXPECT_EQ(ui.pickRequests[1].fileName, "Big.bps");
}

TEST_F(ImageCommandsTest, TuneBiosShowsTheStoredValuesAndWritesTheNewOnes) {
    dir.Write("V64.bios", samples::MakeBios());
    List("V64.bios");
    ASSERT_EQ(view->model.CurrentFormat(), ToInt(FileKind::Doctor64Bios));
    ImageCommands(Env()).TuneBios(); // cancelled
    ASSERT_EQ(ui.biosShown.size(), 1u);
    EXPECT_EQ(view->refreshes, 1);

    ui.biosColour = BiosColour{20, 40, ColourComponent::Red};
    ui.biosPosition = BiosPosition{7, 9};
    ImageCommands(Env()).TuneBios();
    RomImage check;
    ASSERT_EQ(check.Identify(dir.File("V64.bios")), EngineResult::Ok);
    BiosColour colour;
    BiosPosition position;
    ASSERT_EQ(GetBiosColour(check, colour), EngineResult::Ok);
    ASSERT_EQ(GetBiosPosition(check, position), EngineResult::Ok);
    EXPECT_EQ(colour, *ui.biosColour);
    EXPECT_EQ(position, *ui.biosPosition);
}

TEST_F(ImageCommandsTest, AFileThatVanishedIsReportedAndNothingElseHappens) {
    dir.Write("Game.v64", samples::MakeImage(Recipe()));
    List("Game.v64");
    std::remove(dir.File("Game.v64").c_str());
    ImageCommands(Env()).Compress();
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], "Unable to Open File\n" + dir.File("Game.v64"));
    EXPECT_EQ(ui.openProgress, 0);
    EXPECT_FALSE(dir.Exists("Game.bak"));
}

} // namespace
} // namespace q64::test
