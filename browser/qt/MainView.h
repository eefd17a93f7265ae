#pragma once
// The main view: the folder tree and the file list side by side, the
// information panel under both. It owns the file list model and keeps the
// view state every command reads; it runs the start-up steps, follows the
// tree's selection, and reports Enter, double-clicks and context-menu
// requests to the frame, which owns the commands.

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "settings/Settings.h"
#include "browser/CommandRules.h"
#include "browser/DriveList.h"
#include "browser/FileListModel.h"
#include "browser/qt/FolderTree.h"

class QFileSystemWatcher;
class QSplitter;
class QTimer;
class QTreeWidgetItem;

namespace q64 {

class FileListTableModel;
class FileListView;
class InfoPanelWidget;
class SaveTypeLookup;

class MainView : public QWidget {
    Q_OBJECT
public:
    // `settings` and `image` outlive the view.
    MainView(Settings& settings, RomImage& image, QWidget* parent = nullptr);
    ~MainView() override;

    // The start-up steps after the settings were loaded: columns with their
    // widths, the working folder from "DefaultDir" (the home folder, then "/",
    // when it cannot be entered), the tree with `volumes`, the listing, the
    // stored sort column.
    void Start(std::vector<Volume> volumes, FolderTree::Watching watching = FolderTree::Watching::On);

    ViewState State() const;
    // Full paths of the selected rows in list order (several with Shift,
    // Ctrl or Ctrl+A); the panel and State() describe the focused row.
    std::vector<std::string> SelectedPaths() const;
    FileListModel& Model() { return *model_; }
    FolderTree* Tree() const { return tree_; }
    FileListView* List() const { return list_; }
    FileListTableModel* TableModel() const { return table_; }
    InfoPanelWidget* Panel() const { return panel_; }

    // Filter combo change: lists with the filter and keeps "ListType".
    void SetFilter(int filter);
    // Lists again and reselects the current file by name.
    void Refresh();
    // Lists again with the first row selected.
    void FillList();
    // Lists again and selects the row named `name` (the first row when none is).
    void FillListSelecting(const QString& name);
    // Reads the selected file again for the panel and the command states.
    void UpdateSelection();
    // Makes `folder` the working folder and lists it; with `selectInTree` the
    // tree selects it too. A folder that cannot be entered lists the current one.
    void ShowFolder(const QString& folder, bool selectInTree);
    // Shows `folder` (in the tree too) with the row named `name` selected;
    // false when the list does not hold it.
    bool ShowFile(const QString& folder, const QString& name);
    // The folder the list shows.
    QString Folder() const;
    int ColumnWidth(int column) const;
    // The tree's width beside the list ("Divider"); 0 chooses a third of the
    // view, at least 180 pixels. Applied when the view is first shown.
    void SetDivider(int treeWidth);
    int Divider() const;
    // While a command runs, outside changes to the folder wait for it to end
    // (the command lists the folder itself afterwards).
    void SetCommandRunning(bool running) { commandRunning_ = running; }
    // How long outside changes are gathered before the list follows them.
    static constexpr int kLiveListDelayMs = 700;
    // Where the listing writes its progress (the status bar's message pane).
    void SetStatusSink(std::function<void(const QString&)> sink) { status_ = std::move(sink); }

signals:
    void stateChanged();                           // selection, panel or listing changed
    void sendRequested();                          // Enter in the list, or double-click on a sendable file
    void viewFileRequested();                      // Enter or double-click on a text file
    void contextMenuRequested(const QPoint& globalPos);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void InstallListener();
    // The heading of the sort column shows the sort order's arrow.
    void ShowSortIndicator();
    // The tree shows the selected folder with its parents, scrolled to the left.
    void ShowTreeSelection();
    // The live list: watches the shown folder; files created, renamed or
    // deleted there from outside are listed again after a short pause, with
    // the selection and the scroll position kept.
    void WatchFolder();
    void FollowOutsideChange();
    void OnFolderSelected(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void OnRowsSelected();
    void OnDoubleClicked();
    void SelectRowInWidget(int row);
    // Runs one listing pass; a request made while a pass runs makes that
    // pass stop and the listing start again once.
    void RunListing(const std::function<void()>& pass);
    bool ListingStep(std::size_t entriesSeen);

    Settings& settings_;
    std::unique_ptr<FileListModel> model_;
    // Images' save types from the ROM database, looked up off the interface's thread.
    std::unique_ptr<SaveTypeLookup> saveTypes_;
    FolderTree* tree_ = nullptr;
    FileListView* list_ = nullptr;
    FileListTableModel* table_ = nullptr;
    InfoPanelWidget* panel_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::function<void(const QString&)> status_;
    bool listing_ = false;
    bool relistPending_ = false;
    bool syncingSelection_ = false;
    bool revertingFolder_ = false;
    QString folder_;
    QElapsedTimer sinceStep_;
    std::vector<SelectedFile> several_; // kinds of a selection of several, read when it changes
    int divider_ = 0;
    bool dividerApplied_ = false;
    QFileSystemWatcher* folderWatcher_ = nullptr; // null when the list does not follow the disk
    QTimer* liveTimer_ = nullptr;
    bool commandRunning_ = false;
};

} // namespace q64
