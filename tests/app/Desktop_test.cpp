// The window at home on a desktop: placement on the screen, the divider, the
// list's columns, keyboard access to the filter, radio marks, prompts, the
// live list, and "quorvel64 FILE".
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTest>
#include <filesystem>

#include "app/CommandActions.h"
#include "app/DialogButtons.h"
#include "app/MainStatusBar.h"
#include "app/MainToolBar.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/StartupNotice.h"
#include "app/TitleDialog.h"
#include "app/WindowPlacement.h"
#include "browser/qt/FolderTree.h"
#include "resources/Pictures.h"
#include "tests/app/FrameFixture.h"

namespace q64::test {
namespace {

using C = CommandId;

TEST(WindowPlacement, FirstStartTakesAShareOfTheScreenAndStaysOnIt) {
    struct Case {
        QRect available;
        QRect expected;
    };
    const QSize minimum(635, 458);
    for (const Case& c : std::vector<Case>{
             {QRect(0, 0, 1280, 1024), QRect(160, 128, 960, 768)},
             {QRect(0, 24, 2560, 1416), QRect(320, 201, 1920, 1062)},   // a panel at the top
             {QRect(0, 0, 800, 600), QRect(82, 71, 635, 458)},          // never below the minimum
             {QRect(1280, 0, 1920, 1080), QRect(1520, 135, 1440, 810)}, // a second screen
         })
        EXPECT_EQ(FirstStartRect(c.available, minimum), c.expected) << c.available.width();
}

TEST(WindowPlacement, FitOnScreenKeepsTheTitleBarReachable) {
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(FitOnScreen(QRect(100, 100, 640, 480), screen), QRect(100, 100, 640, 480));
    EXPECT_EQ(FitOnScreen(QRect(100, -30, 640, 480), screen), QRect(100, 0, 640, 480));  // title bar above
    EXPECT_EQ(FitOnScreen(QRect(-20000, -20000, 640, 480), screen), QRect(0, 0, 640, 480));
    EXPECT_EQ(FitOnScreen(QRect(1000, 900, 640, 480), screen), QRect(640, 544, 640, 480));
    EXPECT_EQ(FitOnScreen(QRect(0, 0, 3000, 2000), screen), screen); // larger than the screen
}

// A stored size and the minimum against the screen, frame included: a
// 1024x768 screen, and the same screen at a scale factor of 2 (512x384 logical
// pixels), each with a panel at the top.
TEST(WindowPlacement, TheFrameFitsTheScreenWhateverTheScaleFactor) {
    const QSize minimum(635, 458);
    const QMargins frame(1, 24, 1, 1); // a title bar and thin borders
    struct Case {
        QRect available;
        QRect stored; // inner rectangle
        QSize expectedMinimum;
        QRect expected;
    };
    for (const Case& c : std::vector<Case>{
             {QRect(0, 28, 1024, 740), QRect(41, 64, 900, 600), minimum, QRect(41, 64, 900, 600)},   // fits
             {QRect(0, 28, 1024, 740), QRect(61, 74, 1200, 750), minimum, QRect(1, 52, 1022, 715)},  // stored on a larger screen
             {QRect(0, 28, 1024, 740), QRect(301, 400, 700, 500), minimum, QRect(301, 267, 700, 500)}, // status bar below the edge
             {QRect(0, 14, 512, 370), QRect(1, 38, 635, 458), QSize(510, 345), QRect(1, 38, 510, 345)}, // scale factor 2
             {QRect(0, 14, 512, 370), QRect(1, 38, 1200, 750), QSize(510, 345), QRect(1, 38, 510, 345)},
         }) {
        const QSize least = MinimumOnScreen(minimum, c.available, frame);
        EXPECT_EQ(least, c.expectedMinimum) << c.available.width();
        const QRect placed = FitWindowOnScreen(c.stored, frame, c.available, least);
        EXPECT_EQ(placed, c.expected) << c.stored.width();
        EXPECT_TRUE(c.available.contains(placed.marginsAdded(frame))) << c.stored.width();
    }
}

TEST_F(FrameFixture, FirstStartIsWhollyOnTheScreen) {
    std::filesystem::remove(Ini().toStdString());
    Put("DefaultDir", QString::fromStdString(files.Path()));
    MainFrame& f = Open();
    f.ShowAtStoredPlace();
    QTest::qWait(30);
    const QRect screen = f.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(f.frameGeometry())) << f.frameGeometry().x() << "," << f.frameGeometry().y();
    EXPECT_GE(f.width(), MainFrame::kMinimumWidth);
    EXPECT_GE(f.height(), MainFrame::kMinimumHeight);
}

TEST_F(FrameFixture, DividerIsRememberedAndTheLastColumnStretches) {
    Put("Width", 900);
    Put("Height", 560);
    Put("Divider", 260);
    MainFrame& f = Open();
    f.show();
    QTest::qWait(20);
    auto* splitter = f.View()->findChild<QSplitter*>();
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->sizes().constFirst(), 260);
    EXPECT_TRUE(f.View()->List()->header()->stretchLastSection());
    splitter->setSizes({310, splitter->width() - 310});
    Close();
    EXPECT_EQ(Get("Divider").toInt(), 310);
}

TEST_F(FrameFixture, FirstStartGivesTheTreeAThirdAndTheNamesRoom) {
    std::filesystem::remove(Ini().toStdString());
    Put("DefaultDir", QString::fromStdString(files.Path()));
    MainFrame& f = Open();
    f.show();
    QTest::qWait(30);
    auto* splitter = f.View()->findChild<QSplitter*>();
    EXPECT_GE(splitter->sizes().constFirst(), 180);
    // The longest sample name fits its column.
    int longest = 0;
    for (const QString& name : RowNames()) longest = std::max(longest, f.fontMetrics().horizontalAdvance(name));
    EXPECT_GE(f.View()->ColumnWidth(0), longest + 16); // the picture beside the name
    // Every cell tells its whole text on hover.
    const auto* table = f.View()->TableModel();
    for (int r = 0; r < table->rowCount(); ++r)
        EXPECT_EQ(table->data(table->index(r, 0), Qt::ToolTipRole), table->data(table->index(r, 0)));
}

// The names of each folder shown set the "Filename" width until the user
// drags its edge; that width then stays, for every folder and the next start.
TEST_F(FrameFixture, NameColumnFollowsEachFolderUntilTheUserDragsIt) {
    const QString longer = QString::fromStdString(files.File("LONGER"));
    std::filesystem::create_directories(longer.toStdString());
    samples::WriteFile(files.File("LONGER/Sample Racer (U) [a much longer name than any sample].z64"),
                       samples::MakeImage({}));
    MainFrame& f = Open();
    f.resize(900, 560);
    f.show();
    QTest::qWait(30);
    const int samplesWidth = f.View()->ColumnWidth(0);
    f.View()->ShowFolder(longer, true);
    EXPECT_GT(f.View()->ColumnWidth(0), samplesWidth);
    f.View()->ShowFolder(QString::fromStdString(files.Path()), true);
    EXPECT_EQ(f.View()->ColumnWidth(0), samplesWidth);

    QHeaderView* header = f.View()->List()->header();
    const QPoint edge(header->sectionViewportPosition(1) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(header->viewport(), edge + QPoint(30, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edge + QPoint(30, 0));
    const int chosen = f.View()->ColumnWidth(0);
    EXPECT_EQ(chosen, samplesWidth + 30);
    f.View()->ShowFolder(longer, true);
    EXPECT_EQ(f.View()->ColumnWidth(0), chosen);
    Close();
    EXPECT_EQ(Get("Col1W").toInt(), chosen);
    EXPECT_EQ(Get("Col1Fit").toInt(), 0);
}

TEST_F(FrameFixture, FilterComboIsReachedFromTheKeyboard) {
    MainFrame& f = Open();
    f.show();
    QApplication::setActiveWindow(&f);
    QComboBox* combo = f.FilterCombo();
    EXPECT_EQ(combo->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_FALSE(combo->toolTip().isEmpty());
    // The longest entry is not clipped.
    int longest = 0;
    for (int i = 0; i < combo->count(); ++i)
        longest = std::max(longest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    EXPECT_GE(combo->sizeHint().width(), longest);
    EXPECT_GE(combo->width(), longest);
    QAction* shortcut = nullptr;
    for (QAction* a : f.actions())
        if (a->shortcut() == kFilterShortcut) shortcut = a;
    ASSERT_NE(shortcut, nullptr);
    shortcut->trigger();
    // The combo has the keyboard, with its list open.
    EXPECT_TRUE(QApplication::focusWidget() == combo || QApplication::focusWidget() == combo->view());
    EXPECT_TRUE(combo->view()->isVisible());
    combo->hidePopup();
    EXPECT_TRUE(combo->hasFocus());
}

TEST_F(FrameFixture, Cd64ChoicesShowRadioMarks) {
    Put("Unit", 2);
    MainFrame& f = Open();
    for (C id : {C::Cd64SendExecutes, C::Cd64SendNothing, C::Cd64FromCart, C::Cd64FromDram}) {
        QActionGroup* group = f.Actions()->Action(id)->actionGroup();
        ASSERT_NE(group, nullptr);
        EXPECT_TRUE(group->isExclusive());
    }
    f.Actions()->Action(C::Cd64SendNothing)->trigger();
    EXPECT_TRUE(f.Actions()->Action(C::Cd64SendNothing)->isChecked());
    EXPECT_FALSE(f.Actions()->Action(C::Cd64SendExecutes)->isChecked());
    EXPECT_EQ(f.LiveSettings().CD64Comm, 'T');
}

TEST_F(FrameFixture, APromptGoesWhenThePointerLeavesTheMenu) {
    MainFrame& f = Open();
    f.show();
    QMenu* menu = f.menuBar()->actions().constFirst()->menu();
    ASSERT_NE(menu, nullptr);
    QStatusTipEvent tip(QStringLiteral("Send Image to Unit"));
    QApplication::sendEvent(&f, &tip);
    EXPECT_EQ(f.Status()->currentMessage(), QStringLiteral("Send Image to Unit"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(menu, &leave);
    EXPECT_TRUE(f.Status()->currentMessage().isEmpty());
    EXPECT_EQ(f.Status()->Text(), QStringLiteral("Ready"));
}

TEST(SmallDialogCaptions, AreReadableWhole) {
    TitleDialog title;
    title.show();
    EXPECT_GE(title.width(), CaptionWidth(title.windowTitle()));
    EXPECT_GT(CaptionWidth(QStringLiteral("Enter New Title for Image")),
              title.fontMetrics().horizontalAdvance(QStringLiteral("Enter New Title for Image")));
}

TEST(AboutPictures, TheGroupLogoHoldsTheWholeCompanyName) {
    const QPixmap group = pictures::CreditsPicture(QStringLiteral("group"));
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(16);
    font.setBold(true);
    EXPECT_GE(group.width(), 58 + QFontMetrics(font).horizontalAdvance(QStringLiteral("Fenwold")));
}

TEST_F(FrameFixture, ShowFileSelectsItInItsFolder) {
    std::filesystem::create_directories(files.File("SUB"));
    const std::string inner = files.File("SUB/Inner.z64");
    std::filesystem::copy_file(files.File("Sample Racer (U).z64"), inner);
    MainFrame& f = Open();
    // Before the window is shown, and while a command holds it, the file waits its turn.
    f.ShowFile(QString::fromStdString(inner));
    EXPECT_EQ(f.PendingFile(), QString::fromStdString(inner));
    f.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.PendingFile().isEmpty(); }, 2000));
    EXPECT_EQ(f.View()->Folder(), QString::fromStdString(files.File("SUB")));
    EXPECT_EQ(f.View()->Model().CurrentPath(), inner);
    EXPECT_EQ(f.View()->Tree()->nodePath(f.View()->Tree()->currentItem()), QString::fromStdString(files.File("SUB")));
    // A file the filter hides: the list shows every file.
    f.FilterCombo()->setCurrentIndex(3);
    f.View()->SetFilter(3);
    f.ShowFile(QString::fromStdString(inner));
    EXPECT_EQ(f.FilterCombo()->currentIndex(), 0);
    EXPECT_EQ(f.View()->Model().CurrentPath(), inner);

    // Handed over while a dialog is open (here: Properties): shown when it closes.
    const std::string racer = files.File("Sample Racer (U).z64");
    ui.properties = [&](Settings&) {
        f.ShowFile(QString::fromStdString(racer));
        EXPECT_FALSE(f.PendingFile().isEmpty());
    };
    f.RunCommand(CommandId::Properties);
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.View()->Model().CurrentPath() == racer; }, 2000));
    // A missing file is said to be missing.
    f.ShowFile(QStringLiteral("/missing/file.z64"));
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().text, "No such file:\n/missing/file.z64");
    EXPECT_EQ(ui.shown.back().icon, PromptIcon::Error);
}

TEST(StartupNotice, TheRemoveMessageQuotesTheId) {
    EXPECT_EQ(StartupRemoveMessage("kde run_TIME1"), QByteArray("remove: ID=kde\\ run_TIME1") + '\0');
    EXPECT_EQ(StartupRemoveMessage("a\"b\\c"), QByteArray("remove: ID=a\\\"b\\\\c") + '\0');
}

TEST(StartupArguments, TheFileArgumentBecomesAnAbsolutePath) {
    TempDir work;
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(work.Path())));
    const QString here = QDir::currentPath();
    EXPECT_EQ(FileArgument({QStringLiteral("quorvel64")}), QString());
    EXPECT_EQ(FileArgument({QStringLiteral("quorvel64"), QStringLiteral("/roms/a.z64")}), QStringLiteral("/roms/a.z64"));
    EXPECT_EQ(FileArgument({QStringLiteral("quorvel64"), QStringLiteral("a.z64")}), here + QStringLiteral("/a.z64"));
    EXPECT_EQ(FileArgument({QStringLiteral("quorvel64"), QStringLiteral("--screenshot"), QStringLiteral("x.png")}),
              QString());
    EXPECT_EQ(FileArgument({QStringLiteral("quorvel64"), QStringLiteral("--"), QStringLiteral("-odd.z64")}),
              here + QStringLiteral("/-odd.z64"));
}

TEST(SingleInstance, ASecondStartPassesItsFile) {
    TempDir runtime;
    const QString folder = QString::fromStdString(runtime.Path());
    SingleInstance first(folder);
    ASSERT_TRUE(first.TryBecomeFirst());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QSignalSpy opened(&first, &SingleInstance::openRequested);
    SingleInstance second(folder);
    ASSERT_FALSE(second.TryBecomeFirst());
    const QString file = QStringLiteral("/roms/\u30B2\u30FC\u30E0 (J).z64");
    EXPECT_TRUE(second.AskFirstToRaise(1000, file, QByteArrayLiteral("launch-token_TIME42")));
    EXPECT_TRUE(opened.wait(3000));
    ASSERT_EQ(raised.count(), 1);
    EXPECT_EQ(raised.at(0).at(0).toByteArray(), QByteArrayLiteral("launch-token_TIME42")); // for Wayland's raise
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString(), file);
}

// A start during the first one's splash (before the window listens) is not lost.
TEST(SingleInstance, ARequestReadBeforeAnyoneListensWaitsForTheWindow) {
    TempDir runtime;
    const QString folder = QString::fromStdString(runtime.Path());
    SingleInstance first(folder);
    ASSERT_TRUE(first.TryBecomeFirst());
    SingleInstance second(folder);
    ASSERT_FALSE(second.TryBecomeFirst());
    EXPECT_TRUE(second.AskFirstToRaise(1000, QStringLiteral("/roms/Game.z64"), QByteArrayLiteral("token")));
    QTest::qWait(300); // the splash's events: the request is read with nothing connected
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QSignalSpy opened(&first, &SingleInstance::openRequested);
    EXPECT_TRUE(opened.wait(3000));
    ASSERT_EQ(raised.count(), 1);
    EXPECT_EQ(raised.at(0).at(0).toByteArray(), QByteArrayLiteral("token"));
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString(), QStringLiteral("/roms/Game.z64"));
}

// Changes made from outside reach the list within about a second, keeping the selection.
TEST_F(FrameFixture, LiveListFollowsTheFolder) {
    MainFrame& f = Open(0, FolderTree::Watching::On);
    f.show();
    ASSERT_TRUE(SelectFile(QStringLiteral("Readme.txt")));
    const int before = static_cast<int>(RowNames().size());
    for (int i = 0; i < 5; ++i) // several changes in a row: one listing
        samples::WriteFile(files.File("new" + std::to_string(i) + ".txt"), samples::MakeText());
    QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(RowNames().size()), before + 5, 3000);
    EXPECT_EQ(f.View()->Model().CurrentPath(), files.File("Readme.txt"));
    std::filesystem::rename(files.File("new0.txt"), files.File("renamed.txt"));
    std::filesystem::remove(files.File("new1.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(RowNames().contains(QStringLiteral("renamed.txt")), 3000);
    EXPECT_FALSE(RowNames().contains(QStringLiteral("new0.txt")));
    EXPECT_FALSE(RowNames().contains(QStringLiteral("new1.txt")));
    EXPECT_EQ(f.View()->Model().CurrentPath(), files.File("Readme.txt"));
}

} // namespace
} // namespace q64::test
