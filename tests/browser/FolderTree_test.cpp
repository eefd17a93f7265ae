// The folder tree over a temporary folder standing in for a volume: lazy
// expansion with placeholders, nodePath and selectPath, the medium check, and
// folders made or removed from outside appearing through the watcher.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <filesystem>

#include "browser/qt/FolderTree.h"
#include "support/TempDir.h"

namespace q64 {
namespace {

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"GAMES", "GAMES/N64", "GAMES/N64/EUROPE", "SAVES", "empty"})
            std::filesystem::create_directories(dir.File(folder));
        dir.Write("GAMES/readme.txt", samples::MakeText());
        tester = std::make_unique<QAbstractItemModelTester>(tree.model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void Fill(VolumeKind kind = VolumeKind::Fixed, FolderTree::Watching watching = FolderTree::Watching::Off) {
        tree.FillVolumes({Volume{dir.Path(), "", "", kind}}, watching);
    }
    QTreeWidgetItem* Root() { return tree.topLevelItem(0); }
    QStringList Children(QTreeWidgetItem* node) {
        QStringList names;
        for (int i = 0; i < node->childCount(); ++i)
            names << (FolderTree::IsPlaceholder(node->child(i)) ? QStringLiteral("<placeholder>") : node->child(i)->text(0));
        return names;
    }
    QString P(const char* relative) { return QString::fromStdString(dir.File(relative)); }

    test::TempDir dir;
    FolderTree tree;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(FolderTreeTest, VolumeStartsWithAPlaceholderAndExpandsLazily) {
    Fill();
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(Root()->text(0), QString::fromStdString(dir.Path()));
    EXPECT_EQ(Children(Root()), QStringList{"<placeholder>"});
    Root()->setExpanded(true);
    EXPECT_EQ(Children(Root()), (QStringList{"empty", "GAMES", "SAVES"})); // alphabetical, case ignored
    QTreeWidgetItem* games = Root()->child(1);
    EXPECT_EQ(Children(games), QStringList{"<placeholder>"});    // has a subfolder
    EXPECT_EQ(Root()->child(0)->childCount(), 0);                 // "empty" has none: no expand button
    EXPECT_EQ(tree.nodePath(games), P("GAMES"));
    games->setExpanded(true);
    EXPECT_EQ(Children(games), QStringList{"N64"});               // the file is not a folder
    games->setExpanded(false);
    EXPECT_EQ(Children(games), QStringList{"<placeholder>"});     // collapsing forgets
    Root()->setExpanded(false);
    EXPECT_EQ(Children(Root()), QStringList{"<placeholder>"});
    EXPECT_EQ(tree.nodePath(nullptr), QString());
}

TEST_F(FolderTreeTest, SelectPathExpandsAndSelects) {
    Fill();
    ASSERT_TRUE(tree.selectPath(P("GAMES/N64/EUROPE")));
    ASSERT_NE(tree.currentItem(), nullptr);
    EXPECT_EQ(tree.nodePath(tree.currentItem()), P("GAMES/N64/EUROPE"));
    EXPECT_TRUE(tree.findNode(P("GAMES/N64"))->isExpanded());
    ASSERT_TRUE(tree.selectPath(P("SAVES") + "/"));
    EXPECT_EQ(tree.nodePath(tree.currentItem()), P("SAVES"));
    // A missing folder: the existing part is expanded, the selection stays.
    EXPECT_FALSE(tree.selectPath(P("GAMES/N64/USA")));
    EXPECT_EQ(tree.nodePath(tree.currentItem()), P("SAVES"));
    EXPECT_FALSE(tree.selectPath(QString()));
    EXPECT_FALSE(tree.selectPath(QStringLiteral("relative/path")));
    EXPECT_FALSE(tree.selectPath(QStringLiteral("/no-such-volume-here/x")));
}

TEST_F(FolderTreeTest, SelectPathFindsAFolderMadeSinceItsParentWasRead) {
    Fill();
    Root()->setExpanded(true);
    std::filesystem::create_directory(dir.File("NEW"));
    EXPECT_TRUE(tree.selectPath(P("NEW")));
}

TEST_F(FolderTreeTest, ExpandingAVanishedFolderRemovesItsNode) {
    Fill();
    Root()->setExpanded(true);
    std::filesystem::remove_all(dir.File("SAVES"));
    QTreeWidgetItem* saves = tree.findNode(P("SAVES"));
    ASSERT_NE(saves, nullptr);
    saves->setExpanded(true);
    EXPECT_EQ(tree.findNode(P("SAVES")), nullptr);
}

TEST_F(FolderTreeTest, RemovableVolumeWithoutMediumFailsTheCheck) {
    // A plain folder has nothing mounted on it, so its medium reads as absent.
    Fill(VolumeKind::Removable);
    EXPECT_EQ(Children(Root()), QStringList{"<placeholder>"});
    EXPECT_EQ(tree.WatcherCount(), 0);
    Root()->setExpanded(true);
    EXPECT_FALSE(Root()->isExpanded());
    EXPECT_EQ(Children(Root()), QStringList{"<placeholder>"});
    EXPECT_FALSE(tree.selectPath(P("GAMES")));
}

TEST_F(FolderTreeTest, FoldersMadeOrRemovedOutsideAppear) {
    Fill(VolumeKind::Fixed, FolderTree::Watching::On);
    ASSERT_EQ(tree.WatcherCount(), 1);
    Root()->setExpanded(true);
    tree.findNode(P("GAMES"))->setExpanded(true);
    QSignalSpy resynced(&tree, &FolderTree::resynced);

    std::filesystem::create_directory(dir.File("GAMES/NEWDIR"));
    ASSERT_TRUE(resynced.wait(5000));
    EXPECT_EQ(Children(tree.findNode(P("GAMES"))), (QStringList{"N64", "NEWDIR"}));

    // A collapsed folder without subfolders gets its expand button.
    std::filesystem::create_directory(dir.File("empty/inner"));
    ASSERT_TRUE(resynced.wait(5000));
    EXPECT_EQ(Children(tree.findNode(P("empty"))), QStringList{"<placeholder>"});

    std::filesystem::rename(dir.File("SAVES"), dir.File("MEMPAKS"));
    ASSERT_TRUE(resynced.wait(5000));
    EXPECT_EQ(tree.findNode(P("SAVES")), nullptr);
    EXPECT_NE(tree.findNode(P("MEMPAKS")), nullptr);

    std::filesystem::remove_all(dir.File("GAMES/NEWDIR"));
    ASSERT_TRUE(resynced.wait(5000));
    EXPECT_EQ(Children(tree.findNode(P("GAMES"))), QStringList{"N64"});
}

TEST_F(FolderTreeTest, CollapsedVolumeIsLeftAlone) {
    Fill(VolumeKind::Fixed, FolderTree::Watching::On);
    QSignalSpy resynced(&tree, &FolderTree::resynced);
    std::filesystem::create_directory(dir.File("ANOTHER"));
    // The root is watched, but a collapsed volume node keeps its placeholder.
    resynced.wait(1500);
    EXPECT_EQ(Children(Root()), QStringList{"<placeholder>"});
}

TEST(FolderTreeShutdown, DestroyingTheTreeEndsItsWatchers) {
    test::TempDir a, b;
    auto tree = std::make_unique<FolderTree>();
    tree->FillVolumes({Volume{a.Path(), "", "", VolumeKind::Fixed}, Volume{b.Path(), "", "", VolumeKind::Ram},
                       Volume{b.Path(), "", "", VolumeKind::CdRom}});
    EXPECT_EQ(tree->WatcherCount(), 2);
    tree.reset(); // joins both threads; a hang here fails the test by timeout
    SUCCEED();
}

} // namespace
} // namespace q64
