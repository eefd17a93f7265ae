#include "browser/FileCommands.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/CommandBench.h"

namespace q64::test {
namespace {

using FileCommandsTest = CommandBench;

TEST_F(FileCommandsTest, DeleteAsksAndNoStillRelistsWithTheFirstRow) {
    dir.Write("A.v64", samples::MakeImage(Recipe(4096)));
    dir.Write("B.v64", samples::MakeImage(Recipe(4096)));
    List("B.v64");
    FileCommands(Env()).Delete(); // no answer counts as No
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "About to delete " + dir.File("B.v64") + "\n\nAre you Sure ?" + kTrashNote);
    EXPECT_EQ(ui.shown[0].icon, PromptIcon::Question);
    EXPECT_TRUE(dir.Exists("B.v64"));
    EXPECT_EQ(view->fills, 1);
    EXPECT_EQ(view->SelectedName(), "A.v64");

    ASSERT_TRUE(view->Select("B.v64"));
    ui.yesNo.push_back(true);
    FileCommands(Env()).Delete();
    EXPECT_FALSE(dir.Exists("B.v64"));
    EXPECT_EQ(view->model.Rows().size(), 1u);
    // It went to the desktop's trash (the tests' own XDG_DATA_HOME).
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash";
    EXPECT_TRUE(std::filesystem::exists(trash + "/files/B.v64"));
    EXPECT_TRUE(std::filesystem::exists(trash + "/info/B.v64.trashinfo"));
    std::filesystem::remove_all(trash);
}

TEST_F(FileCommandsTest, RenameSelectsTheNewNameAndNeverReplacesAFile) {
    const samples::Bytes a = samples::MakeImage(Recipe(4096));
    dir.Write("A.v64", a);
    dir.Write("B.v64", samples::MakeText());
    List("A.v64");
    ui.filenames.push_back("C.v64");
    FileCommands(Env()).Rename();
    EXPECT_EQ(ui.filenamePresets, (std::vector<std::string>{"A.v64"}));
    EXPECT_EQ(dir.Read("C.v64"), a);
    EXPECT_FALSE(dir.Exists("A.v64"));
    EXPECT_EQ(view->SelectedName(), "C.v64");

    ui.filenames.push_back("B.v64"); // taken: refused, both files stay
    FileCommands(Env()).Rename();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].icon, PromptIcon::Error);
    EXPECT_NE(ui.shown[0].text.find("already exists"), std::string::npos);
    EXPECT_EQ(dir.Read("C.v64"), a);
    EXPECT_EQ(dir.Read("B.v64"), samples::MakeText());
    EXPECT_EQ(view->SelectedName(), "C.v64");

    for (const char* bad : {"", "..", "sub/D.v64"}) {
        ui.filenames.push_back(bad);
        FileCommands(Env()).Rename();
        EXPECT_TRUE(dir.Exists("C.v64")) << bad;
    }
    EXPECT_EQ(ui.shown.size(), 4u);

    const int fills = view->fills;
    FileCommands(Env()).Rename(); // cancelled: nothing at all
    EXPECT_EQ(view->fills, fills);
    EXPECT_EQ(ui.shown.size(), 4u);
}

TEST_F(FileCommandsTest, ViewFileStartsTheViewerOfTheKindAndSaysWhenItCannot) {
    dir.Write("Readme.txt", samples::MakeText());
    settings.DefAView = "text-viewer";
    settings.DefBView = "binary-viewer";
    List("Readme.txt");
    ASSERT_EQ(view->State().viewerKind, 1);
    FileCommands(Env()).ViewFile();
    ASSERT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(ui.started[0], std::make_pair(std::string("text-viewer"), dir.File("Readme.txt")));
    EXPECT_TRUE(ui.shown.empty());

    ui.programStarts = false;
    FileCommands(Env()).ViewFile();
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_NE(ui.shown[0].text.find("\"text-viewer\""), std::string::npos);
}

TEST(ViewerProgramTest, DefaultsAndEmptyOpenWithTheDesktopAStoredProgramStays) {
    struct Case {
        std::string stored;
        std::string started;
    };
    for (const Case& c : std::vector<Case>{{"NOTEPAD.EXE", "xdg-open"},
                                           {"niew.exe", "xdg-open"},
                                           {"", "xdg-open"},
                                           {"/usr/bin/less", "/usr/bin/less"},
                                           {"mousepad", "mousepad"},
                                           {"NOTEPAD.EXE.sh", "NOTEPAD.EXE.sh"}})
        EXPECT_EQ(ViewerProgram(c.stored), c.started) << c.stored;
}

TEST_F(FileCommandsTest, PropertiesMovesTheListOnlyWhenTheDefaultFolderChanged) {
    TempDir other;
    other.Write("Other.v64", samples::MakeImage(Recipe(4096)));
    dir.Write("Here.v64", samples::MakeImage(Recipe(4096)));
    List("Here.v64");
    ui.properties = [](Settings& s) { s.Compress = 9; };
    FileCommands(Env()).Properties();
    EXPECT_EQ(settings.Compress, 9);
    EXPECT_TRUE(view->shownFolders.empty());

    ui.properties = [&other](Settings& s) { s.DefaultDir = other.Path(); };
    FileCommands(Env()).Properties();
    ASSERT_EQ(view->shownFolders.size(), 1u);
    EXPECT_EQ(view->shownFolders[0].first, other.Path());
    EXPECT_EQ(view->shownFolders[0].second, CommandView::TreeFollows::Yes);
    EXPECT_EQ(view->SelectedName(), "Other.v64");
}

TEST_F(FileCommandsTest, RomListWritesTheListedFolderWithTheListFilter) {
    samples::ImageRecipe r = Recipe(8 * 131072);
    r.title = "LISTED GAME";
    dir.Write("Game.v64", samples::MakeImage(r));
    dir.Write("V64.bios", samples::MakeBios());
    List("Game.v64");
    FileCommands(Env()).RomList(); // cancelled: nothing written, no listing
    ASSERT_EQ(ui.pickRequests.size(), 1u);
    EXPECT_EQ(ui.pickRequests[0].folder, dir.Path());
    EXPECT_EQ(ui.pickRequests[0].defaultExtension, "TXT");
    EXPECT_EQ(ui.pickRequests[0].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    EXPECT_EQ(view->fills, 0);

    view->model.SetFilter(static_cast<int>(ListFilter::Images));
    ui.files.push_back(dir.File("List.txt"));
    FileCommands(Env()).RomList();
    const samples::Bytes report = dir.Read("List.txt");
    const std::string text(report.begin(), report.end());
    EXPECT_NE(text.find("Rom Title:LISTED GAME"), std::string::npos);
    EXPECT_NE(text.find("Size   :8.0 Mbit  "), std::string::npos);
    EXPECT_EQ(text.find("V64.bios"), std::string::npos); // the filter admits images only
    EXPECT_EQ(view->fills, 1);
    EXPECT_TRUE(ui.errors.empty());
}

} // namespace
} // namespace q64::test
