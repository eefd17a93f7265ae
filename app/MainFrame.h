#pragma once
// The program's only top-level window: menus, tool bar with the filter
// combo, status bar, and the main view. It loads the settings when built,
// puts itself at the stored place and size, derives every command's state
// from the view after each change, runs every command through its handler,
// and writes every setting back when it closes.

#include <QByteArray>
#include <QMainWindow>
#include <QMargins>
#include <functional>
#include <memory>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "browser/CommandRules.h"
#include "browser/CommandUi.h"
#include "browser/TransferCommands.h"
#include "browser/DriveList.h"
#include "browser/qt/FolderTree.h"
#include "engine/RomImage.h"
#include "transfer/ParallelPort.h"
#include "transfer/Surgeon64.h"
#include "transfer/TransferState.h"

class QComboBox;
class QTimer;

namespace q64 {

class CommandActions;
class SimulatedUnits;
class HelpWindow;
class MainStatusBar;
class MainToolBar;
class MainView;
class ViewCommandTarget;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 635;
    static constexpr int kMinimumHeight = 458;

    // Loads the settings and the frame's keys from `store`, which outlives the frame.
    explicit MainFrame(SettingsStore& store, QWidget* parent = nullptr);
    ~MainFrame() override;

    // The view's start-up steps: the stored filter, the columns, the tree with
    // `volumes` and the first listing.
    void Start(std::vector<Volume> volumes, FolderTree::Watching watching = FolderTree::Watching::On);
    // Shows the window at the stored place and size, maximised when it was.
    void ShowAtStoredPlace();
    // Brings the window to the front: restored if minimised, an open dialog
    // on top of it. Does nothing before the window was first shown (a second
    // start during the splash raises nothing).
    void BringToFront();
    // Shows `file`'s folder in the tree and the list with `file` selected
    // (the filter goes to "All Files" when it hides the file); a missing file
    // is said to be missing. While the window is not shown yet, or a dialog
    // or a command holds it, the file waits and is shown once it is free.
    void ShowFile(const QString& file);
    // The file waiting to be shown (empty: none).
    QString PendingFile() const { return pendingFile_; }
    // Brings the window to the front with a launcher's activation token
    // (Wayland's XDG_ACTIVATION_TOKEN; empty: none).
    void BringToFrontWith(const QByteArray& token);

    void SetOsKind(int osKind);
    int OsKind() const { return osKind_; }
    // Replaces the boxes, pickers and dialogs the commands show (`ui` outlives the frame).
    void SetCommandUi(CommandUi& ui) { ui_ = &ui; }
    // Replaces the port back end the transfers use (`backend` outlives the frame).
    void SetPortBackend(PortBackend& backend);
    TransferState& Transfer() { return transfer_; }
    SurgeonState& SurgeonAdapter() { return surgeon_; }

    Settings& LiveSettings() { return settings_; }
    MainView* View() const { return view_; }
    CommandActions* Actions() const { return actions_; }
    QComboBox* FilterCombo() const;
    MainStatusBar* Status() const { return status_; }
    MainToolBar* Tools() const { return toolBar_; }
    SurgeonMode Surgeon() const { return static_cast<SurgeonMode>(surgeon_.mode); }
    // The window's restored rectangle and state, as saved at exit.
    FrameGeometry CurrentGeometry() const;

    // Re-derives every command's enabled and ticked state from the view.
    void updateActions();
    void RunCommand(CommandId id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ApplyStoredGeometry();
    // What the window manager's frame adds around the window (none before it is shown).
    QMargins FrameMargins() const;
    void KeepOnScreen();
    // Fits the window once the frame is known: checks every kFrameCheckMs, `checksLeft` times more.
    void FollowFrame(int checksLeft);
    static constexpr int kFrameChecks = 30;
    static constexpr int kFrameCheckMs = 100;
    // The free area of the screen that holds most of `frame` (the primary one when none does).
    QRect AvailableAreaFor(const QRect& frame) const;
    void SaveEverything();
    void ShowContextMenu(const QPoint& globalPos);
    CommandContext Context() const;
    // The transfer handlers over the frame's port (built at the first transfer).
    TransferCommands Transfers(CommandEnv env);
    TransferLink Link();
    ParallelPort& Port();
    // The commands that apply to every file of a selection of several; false
    // for any other command.
    bool RunOnSeveralFiles(CommandId id, CommandEnv env);
    // The hash cache of "Verify Images" (opened at the first verification).
    HashCache* HashCacheForVerify();
    void ShowHelp();
    void ShowAbout();

    SettingsStore& store_;
    Settings settings_;
    FrameGeometry storedGeometry_;
    RomImage image_;
    MainView* view_ = nullptr;
    CommandActions* actions_ = nullptr;
    MainToolBar* toolBar_ = nullptr;
    MainStatusBar* status_ = nullptr;
    HelpWindow* help_ = nullptr;
    int osKind_ = 0;
    SurgeonState surgeon_;
    TransferState transfer_;
    std::unique_ptr<PortBackend> ownBackend_;
    std::unique_ptr<ParallelPort> port_;
    std::unique_ptr<SimulatedUnits> simulated_; // while "SimulatedUnit" is on
    PortBackend* portBackend_ = nullptr;         // the back end port_ was built over
    std::unique_ptr<HashCache> hashCache_;
    std::unique_ptr<CommandUi> ownUi_;
    CommandUi* ui_ = nullptr;
    std::unique_ptr<ViewCommandTarget> viewTarget_;
    // True while the window cannot take a handed-over file.
    bool Busy() const;
    void ShowPendingFile();

    QString pendingFile_;
    QTimer* pendingTimer_ = nullptr;
    bool commandRunning_ = false;
    QMargins fittedFrame_;
    bool saved_ = false;
    bool everShown_ = false;
};

} // namespace q64
