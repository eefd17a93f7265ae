// The commands through the frame and its main view: the list and the tree
// after Rename, Delete, Properties and Receive, and the window given back
// after every command (answers scripted, transfers on the simulated bus).
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <filesystem>

#include "app/CommandActions.h"
#include "browser/qt/FolderTree.h"
#include "tests/app/FrameFixture.h"
#include "transfer/SimDoctorV64.h"

namespace q64::test {
namespace {

const QString kQuest = QStringLiteral("Sample Quest (J).v64");

TEST_F(FrameFixture, RenameSelectsTheRenamedRowInTheList) {
    MainFrame& f = Open();
    f.show();
    ASSERT_TRUE(SelectFile(kQuest));
    ui.filenames.push_back("Renamed Quest.v64");
    f.RunCommand(CommandId::RenameFile);
    EXPECT_TRUE(files.Exists("Renamed Quest.v64"));
    EXPECT_FALSE(files.Exists(kQuest.toStdString()));
    const int row = static_cast<int>(RowNames().indexOf(QStringLiteral("Renamed Quest.v64")));
    ASSERT_GE(row, 0);
    EXPECT_EQ(f.View()->Model().CurrentRow(), row);
    EXPECT_EQ(f.View()->List()->currentIndex().row(), row); // the widget shows it selected
}

TEST_F(FrameFixture, DeleteAnsweredYesRemovesTheRowAndSelectsTheFirst) {
    MainFrame& f = Open();
    f.show();
    ASSERT_TRUE(SelectFile(kQuest));
    ui.yesNo.push_back(true);
    f.RunCommand(CommandId::DeleteFile);
    EXPECT_FALSE(files.Exists(kQuest.toStdString()));
    EXPECT_EQ(RowNames().indexOf(kQuest), -1);
    EXPECT_EQ(RowNames().size(), sampleCount - 1);
    EXPECT_EQ(f.View()->Model().CurrentRow(), 0);
}

TEST_F(FrameFixture, PropertiesWithANewDefaultFolderMovesListAndTree) {
    std::filesystem::create_directory(files.File("SUB"));
    samples::WriteFile(files.File("SUB/Only.v64"), samples::MakeImage(samples::ImageRecipe{}));
    MainFrame& f = Open();
    f.show();
    const std::string sub = files.File("SUB");
    ui.properties = [sub](Settings& s) { s.DefaultDir = sub; };
    f.RunCommand(CommandId::Properties);
    EXPECT_EQ(f.View()->Folder(), QString::fromStdString(sub));
    EXPECT_EQ(RowNames(), QStringList{QStringLiteral("Only.v64")});
    FolderTree* tree = f.View()->Tree();
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->nodePath(tree->currentItem()), QString::fromStdString(sub));
    EXPECT_EQ(QDir::currentPath(), QString::fromStdString(sub));
}

TEST_F(FrameFixture, ReceiveListsTheDefaultFolderWithTheNewFile) {
    std::filesystem::create_directory(files.File("SUB"));
    MainFrame& f = Open(2);
    f.show();
    SimDoctorV64& unit = bus.Attach(std::make_unique<SimDoctorV64>(0x378, 0));
    unit.SetImage(samples::MakeImage(samples::ImageRecipe{}));
    ASSERT_TRUE(f.View()->Tree()->selectPath(QString::fromStdString(files.File("SUB"))));
    EXPECT_TRUE(RowNames().isEmpty());
    ui.files.push_back(files.File("Received.v64"));
    f.RunCommand(CommandId::Receive);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(ui.captions, (std::vector<int>{61209}));
    EXPECT_TRUE(files.Exists("Received.v64"));
    EXPECT_EQ(f.View()->Folder(), QString::fromStdString(files.Path()));
    EXPECT_GE(RowNames().indexOf(QStringLiteral("Received.v64")), 0);
    EXPECT_TRUE(f.isEnabled());
}

TEST_F(FrameFixture, SurgeonMenuFollowsTheAdapterMode) {
    MainFrame& f = Open(2);
    f.LiveSettings().Surgeon = 1;
    f.updateActions();
    f.RunCommand(CommandId::SurgeonPc);
    EXPECT_EQ(f.Surgeon(), SurgeonMode::PcControls);
    EXPECT_TRUE(Enabled(CommandId::SurgeonLoad));
    EXPECT_TRUE(f.Actions()->Action(CommandId::SurgeonPc)->isChecked());
    f.RunCommand(CommandId::SurgeonConsole);
    EXPECT_EQ(f.Surgeon(), SurgeonMode::ConsoleControls);
    EXPECT_FALSE(Enabled(CommandId::SurgeonLoad));
}

} // namespace
} // namespace q64::test
