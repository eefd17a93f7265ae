#include "browser/VerifyCommand.h"

#include <gtest/gtest.h>

#include "engine/ImageHash.h"
#include "support/CommandBench.h"

namespace q64::test {
namespace {

class VerifyCommandTest : public CommandBench {
protected:
    // A DAT listing the image of `recipe` as "Listed Game (E)".
    void WriteDat(const samples::ImageRecipe& recipe) {
        samples::ImageRecipe canonical = recipe;
        canonical.format = ImageFormat::BigEndian;
        const samples::Bytes bytes = samples::MakeImage(canonical);
        Sha1 sha1;
        sha1.Update(bytes.data(), bytes.size());
        const std::string text = "<datafile><game name=\"Listed Game (E)\"><rom name=\"x.z64\" size=\"" +
                                 std::to_string(bytes.size()) + "\" sha1=\"" + HexDigest(sha1.Finish()) +
                                 "\"/></game></datafile>";
        settings.DatFile = datDir.Write("list.dat", samples::Bytes(text.begin(), text.end()));
    }
    TempDir datDir;
};

TEST_F(VerifyCommandTest, WithoutADatFileItSaysWhereToSetOne) {
    dir.Write("a.z64", samples::MakeImage(Recipe(65536)));
    List("a.z64");
    VerifyCommand(Env(), nullptr).Verify();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, kNoDatFile);
    EXPECT_EQ(ui.openProgress, 0);
    EXPECT_TRUE(ui.verifyShown.empty());
}

TEST_F(VerifyCommandTest, MalformedDatIsAnErrorNamingTheLine) {
    dir.Write("a.z64", samples::MakeImage(Recipe(65536)));
    List("a.z64");
    const std::string text = "<datafile>\n<game name=\"x\">\n</datafile>\n";
    settings.DatFile = datDir.Write("bad.dat", samples::Bytes(text.begin(), text.end()));
    VerifyCommand(Env(), nullptr).Verify();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].icon, PromptIcon::Error);
    EXPECT_NE(ui.shown[0].text.find("line 3: </datafile> closes <game> opened on line 2"), std::string::npos);
}

TEST_F(VerifyCommandTest, SelectedImageIsShownGoodAndRenamedOnRequest) {
    samples::ImageRecipe recipe = Recipe(65536);
    recipe.format = ImageFormat::LittleEndian;
    dir.Write("mine.bin", samples::MakeImage(recipe));
    WriteDat(recipe);
    List("mine.bin");
    ui.verifyRename.push_back(true);
    VerifyCommand(Env(), nullptr).Verify();
    ASSERT_EQ(ui.verifyShown.size(), 1u);
    ASSERT_EQ(ui.verifyShown[0].size(), 1u);
    EXPECT_EQ(ui.verifyShown[0][0].outcome, VerifyOutcome::Good);
    EXPECT_EQ(ui.verifyShown[0][0].game, "Listed Game (E)");
    EXPECT_EQ(ui.captions, std::vector<int>{static_cast<int>(ProgressCaption::Verifying)});
    EXPECT_EQ(ui.percents.back(), 100);
    EXPECT_TRUE(dir.Exists("Listed Game (E).n64"));
    EXPECT_FALSE(dir.Exists("mine.bin"));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "1 File Renamed");
    EXPECT_EQ(view->refreshes, 1);
}

TEST_F(VerifyCommandTest, ClosingTheResultsRenamesNothing) {
    const samples::ImageRecipe recipe = Recipe(65536);
    dir.Write("mine.z64", samples::MakeImage(recipe));
    WriteDat(recipe);
    List("mine.z64");
    VerifyCommand(Env(), nullptr).Verify();
    ASSERT_EQ(ui.verifyShown.size(), 1u);
    EXPECT_TRUE(dir.Exists("mine.z64"));
    EXPECT_TRUE(ui.shown.empty());
}

TEST(RenameSummary, CountsAndListsWhatWasLeft) {
    const std::vector<RenameRow> rows = {{"a", "b", RenameOutcome::Renamed, ""},
                                         {"c", "d", RenameOutcome::Exists, "d already exists"},
                                         {"e", "", RenameOutcome::Skipped, ""}};
    EXPECT_EQ(RenameSummary(rows), "1 File Renamed\nNot renamed:\nd already exists");
}

} // namespace
} // namespace q64::test
