#include "app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include "app/AboutDialog.h"
#include "app/CommandActions.h"
#include "app/CommandTable.h"
#include "app/HelpWindow.h"
#include "app/MainStatusBar.h"
#include "app/MainToolBar.h"
#include "app/ProgramPort.h"
#include "app/QtCommandUi.h"
#include "app/SimulatedUnits.h"
#include "app/ViewCommandTarget.h"
#include "app/WindowPlacement.h"
#include "browser/FileCommands.h"
#include "browser/ImageCommands.h"
#include "browser/SaveCommands.h"
#include "browser/Sc64SaveCommands.h"
#include "browser/TransferCommands.h"
#include "browser/SeveralFilesCommands.h"
#include "browser/VerifyCommand.h"
#include "browser/cache/SqliteHashCache.h"
#include "browser/qt/FileListView.h"
#include "browser/qt/MainView.h"
#include "resources/Pictures.h"

namespace q64 {

namespace {
const QString kTitle = QStringLiteral("Quorvel64 Version 2.0.7 - 980506");
} // namespace

MainFrame::MainFrame(SettingsStore& store, QWidget* parent)
    : QMainWindow(parent), store_(store), settings_(store.Load()), storedGeometry_(store.LoadGeometry()) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(kTitle);
    setWindowIcon(pictures::ProgramIcon());
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setDockOptions(QMainWindow::AnimatedDocks);

    actions_ = new CommandActions(this);
    actions_->BuildMenuBar(menuBar());
    toolBar_ = new MainToolBar(*actions_, this);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    status_ = new MainStatusBar(this);
    setStatusBar(status_);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) status_->FollowMenu(menu);
    status_->FollowMenu(actions_->ContextMenu());
    view_ = new MainView(settings_, image_, this);
    setCentralWidget(view_);
    view_->SetStatusSink([this](const QString& text) { status_->SetText(text); });
    viewTarget_ = std::make_unique<ViewCommandTarget>(*view_);
    ownUi_ = std::make_unique<QtCommandUi>(this, [this](const QString& text) { status_->SetText(text); });
    ui_ = ownUi_.get();

    QAction* toolBarToggle = actions_->Action(CommandId::ToggleToolBar);
    QAction* statusToggle = actions_->Action(CommandId::ToggleStatusBar);
    toolBarToggle->setChecked(true);
    statusToggle->setChecked(true);
    connect(toolBar_, &QToolBar::visibilityChanged, toolBarToggle, &QAction::setChecked);

    connect(actions_, &CommandActions::triggered, this, &MainFrame::RunCommand);
    connect(view_, &MainView::stateChanged, this, &MainFrame::updateActions);
    connect(view_, &MainView::sendRequested, this, [this] { RunCommand(CommandId::Send); });
    connect(view_, &MainView::viewFileRequested, this, [this] { RunCommand(CommandId::ViewFile); });
    connect(view_, &MainView::contextMenuRequested, this, &MainFrame::ShowContextMenu);
    connect(FilterCombo(), &QComboBox::activated, view_, &MainView::SetFilter);

    restoreState(store_.ReadToolBarState());
    toolBarToggle->setChecked(!toolBar_->isHidden());
    ApplyStoredGeometry();
    updateActions();
}

MainFrame::~MainFrame() = default;

QComboBox* MainFrame::FilterCombo() const { return toolBar_->FilterCombo(); }

void MainFrame::Start(std::vector<Volume> volumes, FolderTree::Watching watching) {
    const int filter = settings_.ListType;
    FilterCombo()->setCurrentIndex(filter >= 0 && filter < FilterCombo()->count() ? filter : -1);
    view_->Start(std::move(volumes), watching);
    view_->List()->setFocus();
    updateActions();
}

void MainFrame::SetOsKind(int osKind) {
    osKind_ = osKind;
    updateActions();
}

QRect MainFrame::AvailableAreaFor(const QRect& frame) const {
    const QScreen* best = QGuiApplication::primaryScreen();
    int bestArea = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const int area = common.isEmpty() ? 0 : common.width() * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best ? best->availableGeometry() : QRect();
}

void MainFrame::ApplyStoredGeometry() {
    // "Horiz" and "Vert" place the whole frame, title bar included; "Width"
    // and "Height" are the window's inner size. A first start (nothing
    // stored) takes a share of the screen; afterwards the stored size wins,
    // as far as the screen holds it. The frame is not known before the
    // window is shown (FollowFrame fits it again then).
    const FrameGeometry& g = storedGeometry_;
    const QScreen* primary = QGuiApplication::primaryScreen();
    QRect wanted(g.Horiz, g.Vert, g.Width, g.Height);
    const QRect available = g.Stored || !primary ? AvailableAreaFor(wanted) : primary->availableGeometry();
    const QSize minimum = MinimumOnScreen(QSize(kMinimumWidth, kMinimumHeight), available, QMargins());
    setMinimumSize(minimum);
    if (!g.Stored) wanted = FirstStartRect(available.isEmpty() ? QRect(QPoint(0, 0), minimum) : available, minimum);
    wanted = FitWindowOnScreen(QRect(wanted.topLeft(), wanted.size().expandedTo(minimum)), QMargins(), available, minimum);
    resize(wanted.size());
    move(wanted.topLeft());
    view_->SetDivider(g.Divider);
}

QMargins MainFrame::FrameMargins() const {
    const QRect inner = geometry(), frame = frameGeometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

void MainFrame::KeepOnScreen() {
    // The whole frame stays on the screen that holds most of it, and the
    // window is never larger than that screen (a large scale factor makes
    // the screen small); the minimum size follows.
    const QMargins frame = FrameMargins();
    const QRect available = AvailableAreaFor(frameGeometry());
    const QSize minimum = MinimumOnScreen(QSize(kMinimumWidth, kMinimumHeight), available, frame);
    setMinimumSize(minimum);
    if (isMaximized() || isFullScreen() || isMinimized()) return;
    const QRect fitted = FitWindowOnScreen(geometry(), frame, available, minimum);
    if (fitted != geometry()) setGeometry(fitted);
}

void MainFrame::FollowFrame(int checksLeft) {
    // The window manager puts its frame around the window some time after
    // it is shown: fit the window again once the frame is known.
    const QMargins frame = FrameMargins();
    if (frame != fittedFrame_ || checksLeft == kFrameChecks) {
        fittedFrame_ = frame;
        KeepOnScreen();
    }
    if (frame.isNull() && checksLeft > 0)
        QTimer::singleShot(kFrameCheckMs, this, [this, checksLeft] { FollowFrame(checksLeft - 1); });
}

void MainFrame::ShowAtStoredPlace() {
    if (storedGeometry_.Maximised == 1)
        showMaximized();
    else
        show();
}

void MainFrame::showEvent(QShowEvent* event) {
    const bool first = !everShown_;
    everShown_ = true;
    QMainWindow::showEvent(event);
    if (first) {
        QTimer::singleShot(0, this, [this] { FollowFrame(kFrameChecks); });
        // Dragged onto another screen: the minimum is what that screen holds.
        if (QWindow* window = windowHandle())
            connect(window, &QWindow::screenChanged, this, [this] {
                setMinimumSize(MinimumOnScreen(QSize(kMinimumWidth, kMinimumHeight),
                                               AvailableAreaFor(frameGeometry()), FrameMargins()));
            });
        if (!pendingFile_.isEmpty()) QTimer::singleShot(0, this, &MainFrame::ShowPendingFile);
    }
}

void MainFrame::BringToFront() {
    if (!everShown_) return;
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

bool MainFrame::Busy() const {
    return !everShown_ || commandRunning_ || QApplication::activeModalWidget() || !isEnabled();
}

void MainFrame::ShowPendingFile() {
    if (pendingFile_.isEmpty() || Busy()) return;
    const QString file = pendingFile_;
    pendingFile_.clear();
    pendingTimer_->stop();
    ShowFile(file);
}

void MainFrame::BringToFrontWith(const QByteArray& token) {
    // Wayland raises a window only with the token of the launch that asked for it.
    if (!token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", token);
    BringToFront();
}

void MainFrame::ShowFile(const QString& file) {
    // While a dialog or a command holds the window the file waits its turn.
    if (Busy()) {
        pendingFile_ = file;
        if (!pendingTimer_) {
            pendingTimer_ = new QTimer(this);
            pendingTimer_->setInterval(200);
            connect(pendingTimer_, &QTimer::timeout, this, &MainFrame::ShowPendingFile);
        }
        pendingTimer_->start();
        return;
    }
    const QFileInfo info(file);
    if (!info.exists()) {
        ui_->ShowMessage("No such file:\n" + QFile::encodeName(file).toStdString(), PromptIcon::Error);
        return;
    }
    if (info.isDir()) {
        view_->ShowFolder(info.absoluteFilePath(), true);
    } else if (!view_->ShowFile(info.absolutePath(), info.fileName())) {
        // Hidden by the filter: show every file.
        FilterCombo()->setCurrentIndex(0);
        view_->SetFilter(0);
        view_->ShowFile(info.absolutePath(), info.fileName());
    }
    updateActions();
}

FrameGeometry MainFrame::CurrentGeometry() const {
    FrameGeometry g;
    const bool restored = !(isMaximized() || isMinimized() || isFullScreen());
    const QRect r = restored ? geometry() : normalGeometry();
    const QRect inner = r.isValid() ? r : geometry();
    // The frame's place: the inner rectangle less the decorations above and left of it.
    const QPoint decoration = geometry().topLeft() - frameGeometry().topLeft();
    g.Vert = inner.top() - decoration.y();
    g.Horiz = inner.left() - decoration.x();
    g.Width = inner.width();
    g.Height = inner.height();
    g.Maximised = isMaximized() ? 1 : 0;
    g.Divider = view_->Divider();
    g.Stored = true;
    return g;
}

void MainFrame::SaveEverything() {
    if (saved_) return;
    saved_ = true;
    settings_.Col1W = view_->ColumnWidth(0);
    settings_.Col2W = view_->ColumnWidth(1);
    settings_.Col3W = view_->ColumnWidth(2);
    settings_.Col1Fit = view_->List()->NameColumnFollowsNames() ? 1 : 0;
    settings_.SortCol = view_->Model().SortColumn();
    settings_.SortOrder = view_->Model().SortOrder();
    const int filter = FilterCombo()->currentIndex();
    if (filter >= 0) settings_.ListType = filter;
    settings_.ShowDirs = 0;
    store_.SaveAll(settings_, CurrentGeometry(), saveState());
}

void MainFrame::closeEvent(QCloseEvent* event) {
    SaveEverything();
    if (help_) help_->close();
    event->accept();
}

void MainFrame::updateActions() {
    actions_->Apply(view_->State(), Context());
    actions_->Action(CommandId::ToggleToolBar)->setChecked(!toolBar_->isHidden());
    actions_->Action(CommandId::ToggleStatusBar)->setChecked(!status_->isHidden());
}

void MainFrame::ShowContextMenu(const QPoint& globalPos) {
    updateActions();
    actions_->ContextMenu()->popup(globalPos);
}

void MainFrame::ShowHelp() {
    if (!help_) help_ = new HelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MainFrame::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainFrame::SetPortBackend(PortBackend& backend) {
    portBackend_ = &backend;
    if (port_)
        port_->SetBackend(backend);
    else
        port_ = std::make_unique<ParallelPort>(backend);
}

ParallelPort& MainFrame::Port() {
    if (!port_) {
        ownBackend_ = MakeProgramPortBackend(osKind_);
        portBackend_ = ownBackend_.get();
        port_ = std::make_unique<ParallelPort>(*ownBackend_);
    }
    // "SimulatedUnit" sends the transfers to simulated units, built for the
    // settings as they are now; switching it off returns to the hardware.
    if (settings_.SimulatedUnit != 0) {
        if (!simulated_ || !simulated_->Fits(settings_)) simulated_ = std::make_unique<SimulatedUnits>(settings_);
        port_->SetBackend(simulated_->Backend());
    } else if (simulated_) {
        port_->SetBackend(*portBackend_);
        simulated_.reset();
    }
    return *port_;
}

bool MainFrame::RunOnSeveralFiles(CommandId id, CommandEnv env) {
    // Calculate CRC looks its invalid files up in the DAT file, when one is set.
    SeveralFilesCommands several(env, id == CommandId::CalcCrc && !settings_.DatFile.empty() ? HashCacheForVerify()
                                                                                          : nullptr);
    switch (id) {
    case CommandId::ChangeFormat: several.ChangeFormat(); return true;
    case CommandId::Compress: several.Compress(); return true;
    case CommandId::DeCompress: several.DeCompress(); return true;
    case CommandId::CalcCrc: several.CalculateCrc(); return true;
    case CommandId::DeleteFile: several.Delete(); return true;
    default: return false; // Verify Images takes the selection itself
    }
}

HashCache* MainFrame::HashCacheForVerify() {
    if (!hashCache_) {
        auto cache = std::make_unique<SqliteHashCache>(SqliteHashCache::DefaultPath());
        // Said once: the cache is opened once per session.
        if (!cache->Usable())
            ui_->ShowMessage("The hash cache cannot be used: " + cache->Problem() +
                                 ". Verify Images reads every image in full.",
                             PromptIcon::Information);
        hashCache_ = std::move(cache);
    }
    return hashCache_.get();
}

CommandContext MainFrame::Context() const {
    // A simulated unit is reached without the port driver.
    return CommandContext{settings_, settings_.SimulatedUnit != 0 ? 2 : osKind_, Surgeon()};
}

TransferLink MainFrame::Link() {
    ParallelPort& port = Port();
    if (simulated_) {
        simulated_->ConnectSc64(transfer_);
        simulated_->ConnectEd64(transfer_);
    } else {
        transfer_.sc64Opener = {};
        transfer_.ed64Opener = {};
    }
    // A simulated unit takes direct port accesses (no driver in between).
    const int osKind = simulated_ ? 2 : osKind_;
    return TransferLink{transfer_, port, surgeon_, osKind, simulated_ != nullptr};
}

TransferCommands MainFrame::Transfers(CommandEnv env) { return TransferCommands(env, Link()); }

void MainFrame::RunCommand(CommandId id) {
    // A command runs only while it is offered (a key of a greyed item can
    // still arrive here); Send also runs from Enter in the list, offered or not.
    if (id != CommandId::Send && !StateOf(id, view_->State(), Context()).enabled) {
        updateActions();
        return;
    }
    CommandEnv env{image_, settings_, *viewTarget_, *ui_};
    view_->SetCommandRunning(true);
    commandRunning_ = true;
    struct CommandEnd {
        MainFrame* frame;
        ~CommandEnd() {
            frame->view_->SetCommandRunning(false);
            frame->commandRunning_ = false;
            // A file handed over meanwhile is shown now.
            if (!frame->pendingFile_.isEmpty()) QTimer::singleShot(0, frame, &MainFrame::ShowPendingFile);
        }
    } end{this};
    if (view_->State().several.size() > 1 && RunOnSeveralFiles(id, env)) {
        updateActions();
        return;
    }
    switch (id) {
    case CommandId::Exit: close(); return;
    case CommandId::ToggleToolBar: toolBar_->setVisible(toolBar_->isHidden()); break;
    case CommandId::ToggleStatusBar: status_->setVisible(status_->isHidden()); break;
    case CommandId::Refresh: view_->Refresh(); break;
    case CommandId::Help: ShowHelp(); break;
    case CommandId::About: ShowAbout(); break;
    case CommandId::Cd64SendExecutes: settings_.CD64Comm = 'X'; break;
    case CommandId::Cd64SendNothing: settings_.CD64Comm = 'T'; break;
    case CommandId::Cd64FromCart: settings_.CD64ReceiveType = 0; break;
    case CommandId::Cd64FromDram: settings_.CD64ReceiveType = 1; break;
    case CommandId::ImageFilter: break;
    case CommandId::ManageDx256: {
        TransferCommands transfers = Transfers(env);
        SaveCommands(env, &transfers).ManageDx256();
        break;
    }
    case CommandId::ManageMemoryPak: SaveCommands(env).ManageMemoryPak(); break;
    case CommandId::ConvertSave: SaveCommands(env).ConvertSave(); break;
    case CommandId::Sc64BackupSave: Sc64SaveCommands(env, Link()).Backup(); break;
    case CommandId::Sc64RestoreSave: Sc64SaveCommands(env, Link()).Restore(); break;
    case CommandId::Compress: ImageCommands(env).Compress(); break;
    case CommandId::DeCompress: ImageCommands(env).DeCompress(); break;
    case CommandId::ChangeFormat: ImageCommands(env).ChangeFormat(); break;
    case CommandId::ReSize: ImageCommands(env).ReSize(); break;
    case CommandId::CalcCrc: ImageCommands(env).CalculateCrc(); break;
    case CommandId::EditTitle: ImageCommands(env).EditTitle(); break;
    case CommandId::IpsPatch: ImageCommands(env).IpsPatch(); break;
    case CommandId::CreatePatch: ImageCommands(env).CreatePatch(); break;
    case CommandId::TuneBios: ImageCommands(env).TuneBios(); break;
    case CommandId::DeleteFile: FileCommands(env).Delete(); break;
    case CommandId::RenameFile: FileCommands(env).Rename(); break;
    case CommandId::ViewFile: FileCommands(env).ViewFile(); break;
    case CommandId::Properties: FileCommands(env).Properties(); break;
    case CommandId::RomList: FileCommands(env).RomList(); break;
    case CommandId::VerifyImages: VerifyCommand(env, HashCacheForVerify()).Verify(); break;
    case CommandId::Send: Transfers(env).Send(); break;
    case CommandId::Receive: Transfers(env).Receive(); break;
    case CommandId::SurgeonConsole: Transfers(env).SurgeonConsole(); break;
    case CommandId::SurgeonPc: Transfers(env).SurgeonPc(); break;
    case CommandId::SurgeonLoad: Transfers(env).SurgeonLoad(); break;
    case CommandId::SurgeonSave: Transfers(env).SurgeonSave(); break;
    }
    updateActions();
}

} // namespace q64
