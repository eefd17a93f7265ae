// Several files at once: which commands a selection of several enables, and
// the handlers' progress steps, cancel, summary and the CRC fix of them all.

#include "browser/SeveralFilesCommands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "browser/FileCommands.h"
#include "engine/Checksum.h"
#include "engine/ImageHash.h"
#include "engine/RomImage.h"
#include "support/CommandBench.h"

namespace q64::test {
namespace {

constexpr int kImage = 0x001, kCompressed = 0x011, kBios = 0x004;

struct RuleCase {
    CommandId id;
    std::vector<SelectedFile> files;
    bool enabled;
};

class SeveralFilesRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(SeveralFilesRules, EnabledWhenItFitsAtLeastOneFile) {
    const RuleCase& c = GetParam();
    Settings settings;
    ViewState view;
    view.currentRow = 0;
    view.currentFormat = c.files.front().format;
    view.several = c.files;
    EXPECT_EQ(StateOf(c.id, view, CommandContext{settings}).enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SeveralFilesRules,
    ::testing::Values(RuleCase{CommandId::ChangeFormat, {{kImage}, {kImage}}, true},
                      RuleCase{CommandId::ChangeFormat, {{kImage}, {kCompressed}}, true},
                      RuleCase{CommandId::ChangeFormat, {{kCompressed}, {kImage, true}}, false}, // a .bak file
                      RuleCase{CommandId::Compress, {{kImage}, {kImage}, {kImage}}, true},
                      RuleCase{CommandId::DeCompress, {{kCompressed}, {kCompressed}}, true},
                      RuleCase{CommandId::DeCompress, {{kImage}, {kBios}}, false},
                      RuleCase{CommandId::CalcCrc, {{kImage}, {kBios}}, true},
                      RuleCase{CommandId::CalcCrc, {{kCompressed}, {kBios}}, false},
                      RuleCase{CommandId::DeleteFile, {{kImage}, {kBios}, {0}}, true},
                      RuleCase{CommandId::VerifyImages, {{kImage}, {0}}, true},
                      RuleCase{CommandId::Send, {{kImage}, {kImage}}, false},
                      RuleCase{CommandId::ReSize, {{kImage}, {kImage}}, false},
                      RuleCase{CommandId::EditTitle, {{kImage}, {kImage}}, false},
                      RuleCase{CommandId::RenameFile, {{kImage}, {kImage}}, false},
                      RuleCase{CommandId::IpsPatch, {{kImage}, {kImage}}, false},
                      RuleCase{CommandId::Refresh, {{kImage}, {kImage}}, true}));

class SeveralFilesTest : public CommandBench {
protected:
    void Select(const std::vector<std::string>& names) {
        List(names.front());
        for (const std::string& name : names) view->selected.push_back(dir.File(name));
    }
};

TEST_F(SeveralFilesTest, ChangeFormatNamesEachStepAndSummarisesSuccessAndFailure) {
    dir.Write("a.z64", samples::MakeImage(Recipe(65536)));
    dir.Write("b.txt", samples::MakeText());
    dir.Write("c.n64", samples::MakeImage({.sizeBytes = 65536, .format = ImageFormat::LittleEndian}));
    Select({"a.z64", "b.txt", "c.n64"});
    SeveralFilesCommands(Env()).ChangeFormat();
    EXPECT_EQ(ui.details, (std::vector<std::string>{"a.z64 (1 of 3)", "b.txt (2 of 3)", "c.n64 (3 of 3)"}));
    EXPECT_EQ(ui.captions, std::vector<int>{static_cast<int>(ProgressCaption::ByteFlipping)});
    EXPECT_EQ(ui.openProgress, 0);
    // The names follow the new order; each backup is its own.
    EXPECT_EQ(dir.Read("a.v64"), samples::MakeImage({.sizeBytes = 65536, .format = ImageFormat::ByteSwapped}));
    EXPECT_EQ(dir.Read("c.z64"), samples::MakeImage({.sizeBytes = 65536}));
    EXPECT_EQ(ui.statuses.back(), "Backups saved as a.bak, c.bak");
    ASSERT_EQ(ui.shown.size(), 1u);
    // The file the command does not fit is not done, with the reason.
    EXPECT_EQ(ui.shown[0].text, "Change Image Format: 2 of 3 Files Done\n\nNot done:\n  b.txt: not an image");
    EXPECT_TRUE(ui.errors.empty()); // no box per file
    EXPECT_EQ(view->refreshes, 1);
    EXPECT_EQ(ui.percents.back(), 100);
}

TEST_F(SeveralFilesTest, CancelStopsAfterTheCurrentFileIsRestored) {
    const samples::Bytes big = samples::MakeImage(Recipe(4 * 1048576));
    dir.Write("a.z64", big);
    dir.Write("b.z64", big);
    dir.Write("c.z64", big);
    Select({"a.z64", "b.z64", "c.z64"});
    settings.Backup = 0;
    ui.cancelAtPercent = 40; // inside the second file
    SeveralFilesCommands(Env()).ChangeFormat();
    EXPECT_EQ(dir.Read("a.v64"), samples::SwapPairs(big));
    EXPECT_EQ(dir.Read("b.z64"), big);
    EXPECT_EQ(dir.Read("c.z64"), big);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Change Image Format: 1 of 3 Files Done\n\nNot done:\n  b.z64: cancelled\n  c.z64: cancelled");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.v64", "b.z64", "c.z64"}));
}

TEST_F(SeveralFilesTest, CrcListsTheInvalidFilesAndFixesThemAll) {
    const samples::ImageRecipe recipe = Recipe(1052672);
    dir.Write("a.z64", samples::MakeImage(recipe));
    dir.Write("b.v64", samples::MakeImage({.sizeBytes = 1052672, .format = ImageFormat::ByteSwapped, .seed = 2}));
    Select({"a.z64", "b.v64"});
    ui.yesNo.push_back(true);
    SeveralFilesCommands(Env()).CalculateCrc();
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_TRUE(ui.shown[0].question);
    EXPECT_EQ(ui.shown[0].text, "Calculate CRC: 2 of 2 Files Done\n\nInvalid Checksum Found in 2 Files:\n  a.z64\n  b.v64"
                                "\n\nFix Them All?");
    EXPECT_EQ(ui.shown[1].text, "Fix CRC: 2 of 2 Files Done");
    for (const char* name : {"a.z64", "b.v64"}) {
        RomImage image;
        ASSERT_EQ(image.Identify(dir.File(name)), EngineResult::Ok);
        ChecksumValues values;
        ASSERT_EQ(CalcChecksum(image, BackupMode::Temporary, ChecksumFix::No, values), EngineResult::Ok);
        EXPECT_TRUE(values.Valid()) << name;
    }
}

TEST_F(SeveralFilesTest, CrcAnsweredNoChangesNothing) {
    const samples::Bytes a = samples::MakeImage(Recipe(1052672));
    dir.Write("a.z64", a);
    dir.Write("b.z64", a);
    Select({"a.z64", "b.z64"});
    SeveralFilesCommands(Env()).CalculateCrc();
    EXPECT_EQ(dir.Read("a.z64"), a);
    EXPECT_EQ(dir.Read("b.z64"), a);
}

TEST_F(SeveralFilesTest, CrcLeavesWhatTheDatCallsGoodOutOfFixThemAll) {
    // Both images carry invalid checksums; the DAT file knows a.z64 as a good dump.
    const samples::Bytes a = samples::MakeImage(Recipe(65536));
    const samples::Bytes b = samples::MakeImage({.sizeBytes = 65536, .seed = 2});
    dir.Write("a.z64", a);
    dir.Write("b.z64", b);
    ImageHashes hashes;
    std::string message;
    ASSERT_EQ(HashImageFile(dir.File("a.z64"), hashes, {}, message), EngineResult::Ok);
    const std::string dat = "<datafile><game name=\"A (E)\"><rom name=\"A (E).z64\" size=\"65536\" sha1=\"" +
                            HexDigest(hashes.sha1) + "\"/></game></datafile>";
    settings.DatFile = dir.File("set.dat");
    samples::WriteFile(settings.DatFile, samples::Bytes(dat.begin(), dat.end()));
    Select({"a.z64", "b.z64"});
    ui.yesNo.push_back(true);
    SeveralFilesCommands(Env()).CalculateCrc();
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "Calculate CRC: 2 of 2 Files Done\n\nInvalid Checksum Found in 1 File:\n  b.z64"
                                "\n\nGood by the DAT file, checksum invalid as released, do not fix:\n  a.z64\n\nFix Them All?");
    EXPECT_EQ(ui.shown[1].text, "Fix CRC: 1 of 1 Files Done");
    EXPECT_EQ(dir.Read("a.z64"), a);
    EXPECT_NE(dir.Read("b.z64"), b);
}

TEST_F(SeveralFilesTest, DeleteSendsEveryFileToTheTrashAndSaysSo) {
    dir.Write("a.z64", samples::MakeImage(Recipe(4096)));
    dir.Write("b.txt", samples::MakeText());
    dir.Write("c.txt", samples::MakeText());
    Select({"a.z64", "b.txt"});
    ui.yesNo.push_back(true);
    SeveralFilesCommands(Env()).Delete();
    EXPECT_EQ(ui.shown[0].text, "About to delete 2 files:\n  a.z64\n  b.txt\n\nAre you Sure ?" + std::string(kSeveralToTrashNote));
    EXPECT_EQ(ui.shown[1].text, "Delete File: 2 of 2 Files Done");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"c.txt"});
    // In the desktop's trash (the tests' own XDG_DATA_HOME), each with its information.
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
    for (const char* name : {"a.z64", "b.txt"}) {
        EXPECT_TRUE(std::filesystem::exists(trash + "/files/" + name)) << name;
        EXPECT_TRUE(std::filesystem::exists(trash + "/info/" + std::string(name) + ".trashinfo")) << name;
    }
    std::filesystem::remove_all(trash);
}

} // namespace
} // namespace q64::test
