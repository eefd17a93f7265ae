// The main frame: first start, geometry and every setting saved at close,
// the menus, tool bar and status bar, the filter combo and sorting, the panel,
// the enabling rules per kind of file and per unit, and the keys of the list.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "app/CommandActions.h"
#include "app/MainStatusBar.h"
#include "app/MainToolBar.h"
#include "app/WindowPlacement.h"
#include "browser/qt/InfoPanelWidget.h"
#include "tests/app/FrameFixture.h"

namespace q64::test {

bool FrameFixture::Enabled(CommandId id) const { return frame->Actions()->Action(id)->isEnabled(); }

namespace {

using C = CommandId;
const QString kRacer = QStringLiteral("Sample Racer (U).z64");
const QString kQuest = QStringLiteral("Sample Quest (J).v64");
const QString kKart = QStringLiteral("Sample Kart (E).z64");

QString PanelText(MainFrame& f, InfoPanelWidget::Field field) {
    return f.View()->Panel()->FieldWidget(field)->text();
}

TEST_F(FrameFixture, FirstStartWithAnEmptyStore) {
    // Nothing stored at all: the home folder is the default folder.
    std::filesystem::remove(Ini().toStdString());
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(files.Path()));
    MainFrame& f = Open();
    qputenv("HOME", home);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quorvel64 Version 2.0.7 - 980506"));
    EXPECT_EQ(f.minimumSize(), QSize(635, 458));
    // A share of the screen, never below the minimum, centred on it.
    const QRect first = FirstStartRect(QGuiApplication::primaryScreen()->availableGeometry(), f.minimumSize());
    EXPECT_EQ(f.geometry(), first);
    EXPECT_EQ(f.FilterCombo()->currentIndex(), 0);
    EXPECT_EQ(f.FilterCombo()->currentText(), QStringLiteral("All Files"));
    EXPECT_EQ(f.View()->ColumnWidth(0), 130);
    EXPECT_EQ(f.View()->ColumnWidth(1), 150);
    EXPECT_EQ(f.View()->ColumnWidth(2), 70);
    EXPECT_EQ(RowNames().size(), sampleCount);
    EXPECT_EQ(f.View()->Model().CurrentRow(), 0);
    EXPECT_EQ(f.View()->Folder(), QString::fromStdString(files.Path()));
    EXPECT_EQ(f.Status()->Text(), QStringLiteral("Ready"));
    Close();
    // Every key is written at close, with the defaults and the frame's place.
    const Settings saved = SettingsStore(Ini()).Load();
    EXPECT_EQ(saved.Col1W, 130);
    EXPECT_EQ(saved.DefaultDir, files.Path());
    EXPECT_EQ(saved.Splash, 1);
    EXPECT_EQ(Get("SortOrder").toInt(), 1); // the direction at exit; the list starts ascending whatever is stored
    for (const char* key : {"Vert", "Horiz", "Width", "Height", "Maximised", "ShowDirs", "ADrive", "CD64Comm", "ToolBar"})
        EXPECT_TRUE(Get(key).isValid()) << key;
    EXPECT_EQ(Get("Width").toInt(), first.width());
    EXPECT_EQ(Get("Height").toInt(), first.height());
    EXPECT_EQ(Get("Maximised").toInt(), 0);
}

TEST_F(FrameFixture, GeometryAndMaximisedAreRestored) {
    Open().setGeometry(40, 50, 700, 500);
    Close();
    EXPECT_EQ(Get("Horiz").toInt(), 40);
    EXPECT_EQ(Get("Vert").toInt(), 50);
    MainFrame& f = Open();
    EXPECT_EQ(f.geometry(), QRect(40, 50, 700, 500));
    f.resize(100, 100);
    EXPECT_GE(f.width(), 635); // never smaller than the minimum
    EXPECT_GE(f.height(), 458);
    f.setGeometry(40, 50, 700, 500);
    f.showMaximized();
    QTest::qWait(50);
    ASSERT_TRUE(f.isMaximized());
    Close();
    EXPECT_EQ(Get("Maximised").toInt(), 1);
    EXPECT_EQ(Get("Width").toInt(), 700); // the restored rectangle
    MainFrame& again = Open();
    again.ShowAtStoredPlace();
    QTest::qWait(50);
    EXPECT_TRUE(again.isMaximized());
}

TEST_F(FrameFixture, StoredPlaceOffEveryScreenIsBroughtBack) {
    Put("Horiz", -20000);
    Put("Vert", -20000);
    Put("Width", 10); // below the minimum
    MainFrame& f = Open();
    EXPECT_GE(f.width(), 635);
    EXPECT_GT(f.geometry().right(), 0);
    EXPECT_GT(f.geometry().bottom(), 0);
}

TEST_F(FrameFixture, FilterComboDrivesTheListAndIsSaved) {
    Put("ListType", 7);
    MainFrame& f = Open();
    EXPECT_EQ(f.FilterCombo()->currentIndex(), 7);
    EXPECT_EQ(RowNames(), QStringList{"Sample Fix.ips"});
    ASSERT_EQ(f.FilterCombo()->count(), 10);
    EXPECT_EQ(f.FilterCombo()->itemText(8), QStringLiteral("Only SAV Files"));
    EXPECT_EQ(f.FilterCombo()->itemText(9), QStringLiteral("Only Memory Paks"));
    f.FilterCombo()->setCurrentIndex(2);
    emit f.FilterCombo()->activated(2);
    EXPECT_EQ(RowNames(), (QStringList{kKart, kQuest, kRacer}));
    f.FilterCombo()->setCurrentIndex(4);
    emit f.FilterCombo()->activated(4);
    EXPECT_EQ(RowNames(), QStringList{kRacer});
    f.FilterCombo()->setCurrentIndex(1);
    emit f.FilterCombo()->activated(1);
    EXPECT_TRUE(RowNames().contains(QStringLiteral("Readme.txt")));
    EXPECT_FALSE(RowNames().contains(QStringLiteral("Unknown.dat")));
    Close();
    EXPECT_EQ(Get("ListType").toInt(), 1);
}

TEST_F(FrameFixture, HeaderClickSortsAndTheColumnIsSaved) {
    Put("SortCol", 2);
    MainFrame& f = Open();
    QStringList countries = Column(2);
    QStringList sorted = countries;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(countries, sorted);
    QHeaderView* header = f.View()->List()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(f.View()->Model().SortColumn(), 1);
    const QStringList titles = Column(1);
    EXPECT_EQ(titles.first(), QString());          // files with no title first
    EXPECT_EQ(titles.last(), QStringLiteral("SAV Ram File"));
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // A second click reverses the order, and the arrow says so.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(Column(1).first(), QStringLiteral("SAV Ram File"));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(header->isSortIndicatorShown());
    header->resizeSection(0, 222);
    Close();
    EXPECT_EQ(Get("SortCol").toInt(), 1);
    EXPECT_EQ(Get("SortOrder").toInt(), 0);
    EXPECT_EQ(Get("Col1W").toInt(), 222);
}

TEST_F(FrameFixture, SelectionFillsThePanel) {
    MainFrame& f = Open();
    ASSERT_TRUE(SelectFile(kRacer));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::Territory), QStringLiteral("69 - E"));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::CartId), QStringLiteral("SR"));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::Maker), QStringLiteral("N - Nintendo"));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::Format), QStringLiteral("SP64/WC/Z64"));
    EXPECT_TRUE(PanelText(f, InfoPanelWidget::ImageSize).endsWith(QStringLiteral(" MBit")));
    EXPECT_FALSE(f.View()->Panel()->CompressedBox()->isChecked());
    ASSERT_TRUE(SelectFile(kQuest));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::Format), QStringLiteral("Doctor 64"));
    ASSERT_TRUE(SelectFile(kKart));
    QCheckBox* box = f.View()->Panel()->CompressedBox();
    EXPECT_TRUE(box->isChecked());
    box->click(); // the box keeps showing the file's flag
    EXPECT_TRUE(box->isChecked());
    // A text file after an image leaves nothing of the image.
    ASSERT_TRUE(SelectFile(QStringLiteral("Readme.txt")));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::CartId), QString());
    EXPECT_FALSE(box->isChecked());
    ASSERT_TRUE(SelectFile(QStringLiteral("Unknown.dat")));
    EXPECT_EQ(PanelText(f, InfoPanelWidget::CartId), QString());
    EXPECT_EQ(PanelText(f, InfoPanelWidget::FileSize), QString());
}

TEST_F(FrameFixture, EnablingFollowsTheSelectedKind) {
    std::filesystem::copy_file(files.File(kRacer.toStdString()), files.File("Old Racer.bak"));
    MainFrame& f = Open();
    QMenu* context = f.Actions()->ContextMenu();
    auto contextEnabled = [&](const char* text) {
        for (QAction* a : context->actions())
            if (a->text() == QLatin1String(text)) return a->isEnabled();
        ADD_FAILURE() << text;
        return false;
    };
    ASSERT_TRUE(SelectFile(kRacer));
    for (C id : {C::Send, C::ReSize, C::ChangeFormat, C::IpsPatch, C::CalcCrc, C::EditTitle, C::Compress,
                 C::RenameFile, C::DeleteFile})
        EXPECT_TRUE(Enabled(id)) << static_cast<int>(id);
    // No binary viewer of the user's own: View File is greyed for an image and says why.
    EXPECT_FALSE(Enabled(C::ViewFile));
    EXPECT_EQ(f.Actions()->Action(C::ViewFile)->property(kGreyedTipProperty).toString(),
              QString::fromLatin1(kNoBinaryViewerTip));
    EXPECT_FALSE(Enabled(C::DeCompress));
    EXPECT_FALSE(Enabled(C::TuneBios));
    EXPECT_TRUE(contextEnabled("Re-Size"));
    EXPECT_FALSE(contextEnabled("DeCompress"));

    ASSERT_TRUE(SelectFile(kKart));
    EXPECT_TRUE(Enabled(C::DeCompress));
    EXPECT_TRUE(Enabled(C::EditTitle));
    EXPECT_FALSE(Enabled(C::Compress));
    EXPECT_FALSE(Enabled(C::CalcCrc));
    EXPECT_TRUE(contextEnabled("DeCompress"));
    EXPECT_FALSE(contextEnabled("Re-Size"));

    ASSERT_TRUE(SelectFile(QStringLiteral("Old Racer.bak")));
    EXPECT_TRUE(Enabled(C::Send));
    EXPECT_TRUE(Enabled(C::DeleteFile));
    EXPECT_FALSE(Enabled(C::CalcCrc));
    EXPECT_FALSE(Enabled(C::EditTitle));

    ASSERT_TRUE(SelectFile(QStringLiteral("DRJR.BIN")));
    EXPECT_TRUE(Enabled(C::TuneBios));
    EXPECT_TRUE(Enabled(C::Send));
    EXPECT_FALSE(Enabled(C::EditTitle));

    ASSERT_TRUE(SelectFile(QStringLiteral("Sample Quest.n64"))); // tagged save
    EXPECT_TRUE(Enabled(C::Send));
    f.LiveSettings().Unit = 1;
    f.updateActions();
    EXPECT_FALSE(Enabled(C::Send));
    f.LiveSettings().Unit = 0;

    ASSERT_TRUE(SelectFile(QStringLiteral("Readme.txt")));
    f.updateActions();
    EXPECT_TRUE(Enabled(C::ViewFile));
    ASSERT_TRUE(SelectFile(QStringLiteral("Unknown.dat")));
    EXPECT_FALSE(Enabled(C::ViewFile));
    EXPECT_FALSE(Enabled(C::Send));
    EXPECT_TRUE(Enabled(C::RenameFile));
    EXPECT_FALSE(Enabled(C::ManageDx256));
}

TEST_F(FrameFixture, UnitDecidesReceiveAndTheCd64Menu) {
    Put("Unit", 2);
    MainFrame& f = Open(/*osKind=*/0);
    EXPECT_FALSE(Enabled(C::Receive));
    f.SetOsKind(2);
    EXPECT_TRUE(Enabled(C::Receive));
    QAction* executes = f.Actions()->Action(C::Cd64SendExecutes);
    QAction* nothing = f.Actions()->Action(C::Cd64SendNothing);
    EXPECT_TRUE(executes->isEnabled());
    EXPECT_TRUE(executes->isChecked());
    nothing->trigger();
    EXPECT_FALSE(executes->isChecked());
    EXPECT_TRUE(nothing->isChecked());
    f.Actions()->Action(C::Cd64FromDram)->trigger();
    EXPECT_TRUE(f.Actions()->Action(C::Cd64FromDram)->isChecked());
    EXPECT_FALSE(f.Actions()->Action(C::Cd64FromCart)->isChecked());
    f.LiveSettings().Unit = 1;
    f.updateActions();
    EXPECT_FALSE(Enabled(C::Receive));
    EXPECT_FALSE(Enabled(C::Cd64SendNothing));
    f.LiveSettings().Unit = 0;
    f.updateActions();
    EXPECT_TRUE(Enabled(C::Receive));
    Close();
    EXPECT_EQ(Get("CD64Comm").toInt(), 'T');
    EXPECT_EQ(Get("CD64ReceiveType").toInt(), 1);
}

// With "SimulatedUnit" the transfers reach a simulated unit (said in the status
// bar); after a receive the tree and the list show the received file's folder.
TEST_F(FrameFixture, ReceiveFromASimulatedUnitShowsTheFileWhereTheTreeIs) {
    std::filesystem::create_directories(files.File("Received"));
    Put("SimulatedUnit", 1);
    MainFrame& f = Open(/*osKind=*/0); // no port access: only the simulation answers
    EXPECT_TRUE(Enabled(C::Receive));
    ui.files.push_back(files.File("Received/Got.v64"));
    f.RunCommand(C::Receive);
    ASSERT_EQ(ui.pickRequests.size(), 1u);
    EXPECT_EQ(ui.pickRequests[0].folder, files.Path()); // the folder shown
    EXPECT_TRUE(ui.errors.empty()) << (ui.errors.empty() ? "" : ui.errors[0]);
    EXPECT_TRUE(files.Exists("Received/Got.v64"));
    const QString folder = QString::fromStdString(files.File("Received"));
    EXPECT_EQ(f.View()->Folder(), folder);
    EXPECT_EQ(f.View()->Tree()->nodePath(f.View()->Tree()->currentItem()), folder);
    EXPECT_EQ(f.View()->Model().CurrentPath(), files.File("Received/Got.v64"));
    EXPECT_NE(std::find(ui.statuses.begin(), ui.statuses.end(), "Getting Sync... (simulated unit)"), ui.statuses.end());
}

// The EverDrive-64 is simulated too: nothing goes to a real cart's device.
TEST_F(FrameFixture, SimulatedEverDriveTakesASendAndGivesAReceive) {
    Put("SimulatedUnit", 1);
    Put("Unit", 4);
    Put("ED64Device", QString::fromStdString(files.File("no-such-device")));
    MainFrame& f = Open(/*osKind=*/0);
    ASSERT_TRUE(SelectFile(kRacer));
    ui.ed64SaveTypes.push_back(SaveType::None);
    f.RunCommand(C::Send);
    ui.files.push_back(files.File("Got.z64"));
    ui.receiveMbit.push_back(8);
    f.RunCommand(C::Receive);
    EXPECT_TRUE(ui.errors.empty()) << (ui.errors.empty() ? "" : ui.errors[0]);
    EXPECT_NE(std::find(ui.statuses.begin(), ui.statuses.end(), "Sending File... (simulated unit)"), ui.statuses.end());
    EXPECT_EQ(std::filesystem::file_size(files.File("Got.z64")), 8u * 131072u);
}

// Restoring replaces the only copy on the cart: nothing is sent unless the user says yes.
TEST_F(FrameFixture, CartSaveRestoreAsksFirstAndBackUpGivesItBack) {
    Put("SimulatedUnit", 1);
    Put("Unit", 3);
    MainFrame& f = Open(/*osKind=*/0);
    ASSERT_TRUE(SelectFile(QStringLiteral("Sample Racer.sav")));
    ASSERT_TRUE(Enabled(C::Sc64RestoreSave));
    ui.yesNo = {false, true};
    f.RunCommand(C::Sc64RestoreSave);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(ui.shown[0].question);
    EXPECT_NE(ui.shown[0].text.find("Sample Racer.sav"), std::string::npos) << ui.shown[0].text;
    EXPECT_TRUE(ui.captions.empty()); // no progress window: nothing went to the cart

    // Round trip through the simulated cart: an image sent with EEPROM 4K, the
    // save restored, then backed up into a new file with the same bytes.
    ASSERT_TRUE(SelectFile(kRacer));
    ui.saveTypes.push_back(SaveType::Eeprom4k);
    f.RunCommand(C::Send);
    ASSERT_TRUE(SelectFile(QStringLiteral("Sample Racer.sav")));
    f.RunCommand(C::Sc64RestoreSave);
    ui.files.push_back(files.File("Back.eep"));
    f.RunCommand(C::Sc64BackupSave);
    EXPECT_TRUE(ui.errors.empty()) << (ui.errors.empty() ? "" : ui.errors[0]);
    EXPECT_EQ(files.Read("Back.eep"), files.Read("Sample Racer.sav"));
}

TEST_F(FrameFixture, SurgeonMenuNeedsTheAdapter) {
    MainFrame& f = Open();
    EXPECT_FALSE(Enabled(C::SurgeonConsole));
    EXPECT_FALSE(Enabled(C::SurgeonLoad));
    f.LiveSettings().Surgeon = 1;
    f.updateActions();
    EXPECT_TRUE(Enabled(C::SurgeonConsole));
    EXPECT_TRUE(f.Actions()->Action(C::SurgeonConsole)->isChecked());
    EXPECT_FALSE(Enabled(C::SurgeonLoad)); // the console has control
}

TEST_F(FrameFixture, MenusToolBarAndStatusBarAreComplete) {
    MainFrame& f = Open();
    QStringList titles;
    for (QAction* menu : f.menuBar()->actions()) titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&ROM", "&CD64", "&Surgeon64", "&BIOS", "&Misc", "&View", "&Help"}));
    QMenu* rom = f.menuBar()->actions().first()->menu();
    int separators = 0;
    for (QAction* a : rom->actions()) separators += a->isSeparator() ? 1 : 0;
    EXPECT_EQ(rom->actions().size(), 22);
    EXPECT_EQ(separators, 5);
    EXPECT_EQ(rom->actions().at(2)->text(), QStringLiteral("&Back Up SummerCart64 Save...")); // after Receive
    EXPECT_EQ(rom->actions().at(8)->text(), QStringLiteral("Create &Patch...")); // after IPS Patch
    QMenu* misc = f.menuBar()->actions().at(4)->menu();
    QStringList miscItems;
    for (QAction* a : misc->actions()) miscItems << a->text();
    EXPECT_EQ(miscItems, (QStringList{"Manage &DX256 File", "Manage &Memory Pak", "Con&vert Save...", "",
                                      "Produce a &ROM List"}));
    EXPECT_EQ(f.Actions()->Action(C::CreatePatch)->toolTip(), QStringLiteral("Create Patch"));
    EXPECT_EQ(f.Actions()->Action(C::VerifyImages)->text(), QStringLiteral("Verif&y Images"));
    EXPECT_EQ(f.Actions()->Action(C::ReSize)->text(), QStringLiteral("Re-Si&ze\tAlt+Z"));
    EXPECT_EQ(f.Actions()->Action(C::ReSize)->shortcut(), QKeySequence(QStringLiteral("Alt+Z")));
    EXPECT_EQ(f.Actions()->Action(C::DeleteFile)->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(f.Actions()->Action(C::Refresh)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(f.Actions()->Action(C::Send)->statusTip(), QStringLiteral("Send Image to Unit"));
    EXPECT_EQ(f.Actions()->Action(C::Exit)->toolTip(), QStringLiteral("Exit Quorvel"));
    EXPECT_EQ(f.Actions()->Action(C::Properties)->statusTip(), QStringLiteral("Display's Options"));
    EXPECT_EQ(f.Actions()->Action(C::ToggleStatusBar)->text(), QStringLiteral("Stratus Bar"));

    QStringList tips;
    for (QAction* a : f.Tools()->actions())
        if (!a->isSeparator() && !a->icon().isNull()) tips << a->toolTip();
    EXPECT_EQ(tips, (QStringList{"Send", "Receive", "Re-Size", "Flip", "Patch", "CRC", "Compress", "Decompress",
                                 "Exit Quorvel"}));
    EXPECT_EQ(f.FilterCombo()->statusTip(), QStringLiteral("Selects the Default Type to View"));
    EXPECT_EQ(f.FilterCombo()->width(), 120);
    for (const char* name : {"CAP", "NUM", "SCRL"}) EXPECT_NE(f.Status()->findChild<QLabel*>(name), nullptr) << name;

    QStringList context;
    for (QAction* a : f.Actions()->ContextMenu()->actions()) context << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(context, (QStringList{"Send", "Re-Size", "&Change Image Format", "IPS Patch", "Calculate CRC",
                                    "Edit Image's Title", "-", "Compress", "DeCompress", "-", "View File",
                                    "Rename File", "Delete File", "-", "&Refresh"}));
}

TEST_F(FrameFixture, ToolBarAndStatusBarToggle) {
    MainFrame& f = Open();
    f.show();
    QAction* tools = f.Actions()->Action(C::ToggleToolBar);
    QAction* status = f.Actions()->Action(C::ToggleStatusBar);
    EXPECT_TRUE(tools->isChecked());
    tools->trigger();
    EXPECT_TRUE(f.Tools()->isHidden());
    EXPECT_FALSE(tools->isChecked());
    status->trigger();
    EXPECT_TRUE(f.Status()->isHidden());
    EXPECT_FALSE(status->isChecked());
    status->trigger();
    EXPECT_FALSE(f.Status()->isHidden());
    Close();
    // The tool bar's state is saved and a hidden bar stays hidden.
    MainFrame& again = Open();
    again.show();
    EXPECT_TRUE(again.Tools()->isHidden());
    EXPECT_FALSE(again.Actions()->Action(C::ToggleToolBar)->isChecked());
}

// Game.z64 and Game.v64 share a stem: each change keeps its own backup, the
// status bar names it, and a FULLNAME.bak is a backup like NAME.bak.
TEST_F(FrameFixture, BackupsOfFilesSharingAStemNeverCollide) {
    const samples::Bytes racer = files.Read(kRacer.toStdString());
    const samples::Bytes quest = files.Read(kQuest.toStdString());
    files.Write("Game.z64", racer);
    files.Write("Game.v64", quest);
    Put("Backup", 1);
    MainFrame& f = Open();
    for (const char* name : {"Game.z64", "Game.v64"}) {
        ASSERT_TRUE(SelectFile(QString::fromLatin1(name)));
        ui.titles.push_back("CHANGED");
        f.RunCommand(C::EditTitle);
        EXPECT_EQ(ui.statuses.back(), "Backup saved as " + std::string(name) + ".bak");
    }
    EXPECT_EQ(files.Read("Game.z64.bak"), racer);
    EXPECT_EQ(files.Read("Game.v64.bak"), quest);
    EXPECT_FALSE(files.Exists("Game.bak"));
    ASSERT_TRUE(SelectFile(QStringLiteral("Game.z64.bak")));
    EXPECT_TRUE(f.View()->Model().CurrentIsBackup());
    for (C id : {C::ChangeFormat, C::CalcCrc, C::EditTitle, C::IpsPatch}) EXPECT_FALSE(Enabled(id)) << static_cast<int>(id);
}

// Change Image Format renames GAME.z64 to the extension of its new order.
TEST_F(FrameFixture, ChangeFormatRenamesTheImageToItsNewOrder) {
    Put("Backup", 0);
    MainFrame& f = Open();
    ASSERT_TRUE(SelectFile(kRacer));
    f.RunCommand(C::ChangeFormat);
    EXPECT_FALSE(files.Exists(kRacer.toStdString()));
    EXPECT_EQ(f.View()->Model().CurrentPath(), files.File("Sample Racer (U).v64"));
    EXPECT_EQ(ui.statuses.back(), "Sample Racer (U).z64 renamed to Sample Racer (U).v64 to fit its new byte order");
}

TEST_F(FrameFixture, EveryCommandAnswersWithoutCrashing) {
    MainFrame& f = Open();
    f.show();
    ASSERT_TRUE(SelectFile(kRacer));
    const auto before = files.Read(kRacer.toStdString());
    ui.cancelAtPercent = 0; // every progress window is cancelled at once; every question answered No
    for (const auto& c : {C::Send, C::Receive, C::ReSize, C::ChangeFormat, C::IpsPatch, C::CreatePatch, C::CalcCrc,
                          C::EditTitle, C::Compress, C::DeCompress, C::ViewFile, C::RenameFile, C::DeleteFile,
                          C::SurgeonConsole, C::SurgeonPc, C::SurgeonLoad, C::SurgeonSave, C::TuneBios, C::ManageDx256,
                          C::RomList, C::Properties, C::Refresh, C::Help}) {
        ASSERT_TRUE(SelectFile(kRacer));
        f.RunCommand(c);
    }
    EXPECT_EQ(ui.openProgress, 0);
    // Send, Change Image Format and Compress ran (Re-Size was cancelled in its dialog);
    // De-Compress, Tune BIOS and the Surgeon64 commands are not offered for this file.
    EXPECT_EQ(ui.captions, (std::vector<int>{61210, 61207, 61204}));
    EXPECT_EQ(files.Read(kRacer.toStdString()), before); // nothing was changed
    EXPECT_EQ(f.View()->Model().CurrentRow(), RowNames().indexOf(kRacer)); // refresh kept the file
    EXPECT_TRUE(f.isEnabled()); // every progress window gave the window back
    auto* help = f.findChild<QTextBrowser*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Quorvel64 Help")));
    f.Actions()->Action(C::Exit)->trigger();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(Get("Width").isValid()); // Exit saved the settings
}

TEST_F(FrameFixture, EnterAndDoubleClickReachTheView) {
    MainFrame& f = Open();
    f.show();
    ui.cancelAtPercent = 0;
    FileListView* list = f.View()->List();
    list->setFocus();
    ASSERT_TRUE(SelectFile(QStringLiteral("Unknown.dat")));
    ASSERT_FALSE(Enabled(C::Send));
    QTest::keyClick(list, Qt::Key_Return); // Enter sends whatever the menu says
    EXPECT_EQ(ui.captions, (std::vector<int>{61210}));
    ASSERT_EQ(ui.errors.size(), 1u); // and the file is refused
    EXPECT_EQ(ui.errors[0].rfind("Unknown File Format\n", 0), 0u);
    // A text file after an image: nothing of the image is left, Enter and double-click view it.
    ASSERT_TRUE(SelectFile(kRacer));
    ASSERT_TRUE(Enabled(C::Compress));
    ASSERT_TRUE(SelectFile(QStringLiteral("Readme.txt")));
    for (C id : {C::Send, C::Compress, C::CalcCrc, C::EditTitle, C::ReSize, C::TuneBios}) EXPECT_FALSE(Enabled(id));
    EXPECT_TRUE(Enabled(C::ViewFile));
    EXPECT_EQ(f.View()->Model().Panel(), InfoPanelTexts{});
    emit list->doubleClicked(list->currentIndex());
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(ui.started.size(), 2u);
    EXPECT_EQ(ui.started[0].first, "xdg-open"); // the stored "NOTEPAD.EXE" is only a default
    EXPECT_EQ(ui.started[0].second, files.File("Readme.txt"));
    EXPECT_EQ(ui.started[1], ui.started[0]);
    EXPECT_EQ(ui.captions, (std::vector<int>{61210}));
    ASSERT_TRUE(SelectFile(kRacer));
    emit list->doubleClicked(list->currentIndex());
    EXPECT_EQ(ui.captions, (std::vector<int>{61210, 61210}));
    ASSERT_TRUE(SelectFile(QStringLiteral("Unknown.dat")));
    emit list->doubleClicked(list->currentIndex()); // neither sendable nor text: nothing
    EXPECT_EQ(ui.captions.size(), 2u);
    EXPECT_EQ(ui.started.size(), 2u);
}

TEST_F(FrameFixture, ContextMenuKeyOpensTheMenuAtTheList) {
    MainFrame& f = Open();
    f.show();
    FileListView* list = f.View()->List();
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), list->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(list, &key);
    QMenu* menu = f.Actions()->ContextMenu();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), list->mapToGlobal(QPoint(5, 5)));
    menu->close();
}

TEST_F(FrameFixture, AFolderThatCannotBeEnteredSendsTheTreeBack) {
    std::filesystem::create_directories(files.File("SUB/DEEP"));
    files.Write("SUB/only.txt", samples::MakeText());
    MainFrame& f = Open();
    FolderTree* tree = f.View()->Tree();
    const QString home = QString::fromStdString(files.Path());
    ASSERT_TRUE(tree->selectPath(home + "/SUB"));
    EXPECT_EQ(RowNames(), QStringList{"only.txt"});
    tree->currentItem()->setExpanded(true);
    QTreeWidgetItem* deep = tree->findNode(home + "/SUB/DEEP");
    ASSERT_NE(deep, nullptr);
    std::filesystem::remove(files.File("SUB/DEEP"));
    tree->setCurrentItem(deep);
    EXPECT_EQ(f.View()->Folder(), home + "/SUB");
    EXPECT_EQ(tree->nodePath(tree->currentItem()), home + "/SUB");
    EXPECT_EQ(RowNames(), QStringList{"only.txt"});
    // The folder vanishing after it was entered lists nothing and does not hang.
    std::filesystem::remove_all(files.File("SUB"));
    f.View()->Refresh();
    EXPECT_TRUE(RowNames().isEmpty());
}

TEST_F(FrameFixture, MissingDefaultFolderFallsBackToHome) {
    Put("DefaultDir", QString::fromStdString(files.File("gone/away")));
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(files.Path()));
    MainFrame& f = Open();
    qputenv("HOME", home);
    EXPECT_EQ(f.View()->Folder(), QString::fromStdString(files.Path()));
    EXPECT_EQ(RowNames().size(), sampleCount);
    Close();
    EXPECT_EQ(Get("DefaultDir").toString(), QString::fromStdString(files.File("gone/away"))); // the user's choice stays
}

} // namespace
} // namespace q64::test
