// Several files at once: which commands a selection of several enables, and
// the handlers' progress steps, cancel, summary and the CRC fix of them all.

#include "browser/SeveralFilesCommands.h"

#include <gtest/gtest.h>

#include "engine/Checksum.h"
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

TEST_P(SeveralFilesRules, EnabledWhenItAppliesToEveryFile) {
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
                      RuleCase{CommandId::ChangeFormat, {{kImage}, {kCompressed}}, false},
                      RuleCase{CommandId::ChangeFormat, {{kImage}, {kImage, true}}, false}, // a .bak file
                      RuleCase{CommandId::Compress, {{kImage}, {kImage}, {kImage}}, true},
                      RuleCase{CommandId::DeCompress, {{kCompressed}, {kCompressed}}, true},
                      RuleCase{CommandId::DeCompress, {{kCompressed}, {kImage}}, false},
                      RuleCase{CommandId::CalcCrc, {{kImage}, {kBios}}, false},
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
    EXPECT_EQ(dir.Read("a.z64"), samples::MakeImage({.sizeBytes = 65536, .format = ImageFormat::ByteSwapped}));
    EXPECT_EQ(dir.Read("c.n64"), samples::MakeImage({.sizeBytes = 65536}));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Change Image Format: 2 of 3 Files Done\n\nFailed:\n  b.txt: Not Recognised");
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
    EXPECT_NE(dir.Read("a.z64"), big);
    EXPECT_EQ(dir.Read("b.z64"), big);
    EXPECT_EQ(dir.Read("c.z64"), big);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Change Image Format: 1 of 3 Files Done\n\nNot Done (Cancelled):\n  b.z64\n  c.z64");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.z64", "b.z64", "c.z64"}));
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

TEST_F(SeveralFilesTest, DeleteAsksOnceForAllAndSummarises) {
    dir.Write("a.z64", samples::MakeImage(Recipe(4096)));
    dir.Write("b.txt", samples::MakeText());
    dir.Write("c.txt", samples::MakeText());
    Select({"a.z64", "b.txt"});
    ui.yesNo.push_back(true);
    SeveralFilesCommands(Env()).Delete();
    EXPECT_EQ(ui.shown[0].text, "About to delete 2 files:\n  a.z64\n  b.txt\n\nAre you Sure ?");
    EXPECT_EQ(ui.shown[1].text, "Delete File: 2 of 2 Files Done");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"c.txt"});
}

} // namespace
} // namespace q64::test
