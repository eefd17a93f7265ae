#include "browser/qt/MainView.h"

#include <algorithm>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "browser/qt/FileListTableModel.h"
#include "engine/Backup.h"
#include "browser/qt/FileListView.h"
#include "browser/SaveTypeLookup.h"
#include "browser/qt/InfoPanelWidget.h"

namespace q64 {

namespace {
// Paint at most this often while a long listing runs.
constexpr int kListingPumpMs = 40;
} // namespace

MainView::MainView(Settings& settings, RomImage& image, QWidget* parent)
    : QWidget(parent), settings_(settings), model_(std::make_unique<FileListModel>(image, settings)) {
    tree_ = new FolderTree(this);
    tree_->setObjectName(QStringLiteral("FolderTree"));
    list_ = new FileListView(this);
    list_->setObjectName(QStringLiteral("FileList"));
    table_ = new FileListTableModel(this);
    list_->setModel(table_);
    panel_ = new InfoPanelWidget(this);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(tree_);
    splitter_->addWidget(list_);
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({200, 420}); // until the view is shown (SetDivider)
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(splitter_, 1);
    layout->addWidget(panel_, 0);

    InstallListener();
    // An answer arrives on the lookup's thread; the panel takes it on this one.
    saveTypes_ = std::make_unique<SaveTypeLookup>(settings_.RomDatabase, [this] {
        QMetaObject::invokeMethod(this, [this] { model_->RefreshSaveType(); }, Qt::QueuedConnection);
    });
    model_->SetSaveTypeFinder([this](const std::string& path) { return saveTypes_->Find(path); });
    connect(tree_, &QTreeWidget::currentItemChanged, this, &MainView::OnFolderSelected);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainView::OnRowsSelected);
    connect(list_, &FileListView::headerClicked, this, [this](int column) {
        model_->SortByColumn(column);
        ShowSortIndicator();
    });
    connect(list_, &FileListView::enterPressed, this, [this] {
        if (!model_->ListHasFocus()) return;
        // A text file is viewed; anything else goes to Send, offered or not.
        if (model_->ViewerKind() == 1 && !SendEnabled(State(), settings_))
            emit viewFileRequested();
        else
            emit sendRequested();
    });
    connect(list_, &QAbstractItemView::doubleClicked, this, &MainView::OnDoubleClicked);
    connect(list_, &FileListView::contextMenuAt, this, &MainView::contextMenuRequested);
    connect(list_, &FileListView::focusChanged, this, [this](bool focus) { model_->SetListHasFocus(focus); });
}

MainView::~MainView() {
    // The lookup's worker stops first; the model's listener points at widgets that are going away.
    model_->SetSaveTypeFinder({});
    saveTypes_.reset();
    model_->SetListener({});
}

void MainView::InstallListener() {
    FileListModel::Listener l;
    l.rowsReset = [this] {
        table_->ResetRows(model_->Rows());
        SelectRowInWidget(model_->CurrentRow());
    };
    l.rowChanged = [this](int row) {
        if (row >= 0 && row < static_cast<int>(model_->Rows().size())) table_->UpdateRow(row, model_->Rows()[row]);
    };
    l.selectionChanged = [this] { SelectRowInWidget(model_->CurrentRow()); };
    l.panelChanged = [this] {
        panel_->Show(model_->Panel());
        emit stateChanged();
    };
    l.listingStep = [this](std::size_t seen) { return ListingStep(seen); };
    model_->SetListener(std::move(l));
}

bool MainView::ListingStep(std::size_t entriesSeen) {
    if (relistPending_) return false;
    if (!sinceStep_.isValid() || sinceStep_.elapsed() >= kListingPumpMs) {
        if (status_) status_(QStringLiteral("Reading folder... %1 files").arg(entriesSeen));
        // Repaint and take timers, but no input: nothing may change the folder under the listing.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceStep_.restart();
    }
    return !relistPending_;
}

void MainView::RunListing(const std::function<void()>& pass) {
    if (listing_) {
        relistPending_ = true;
        return;
    }
    listing_ = true;
    sinceStep_.restart();
    pass();
    while (relistPending_) {
        relistPending_ = false;
        model_->FillList();
    }
    listing_ = false;
    list_->FitNameColumn();
    WatchFolder();
    if (status_) status_(QStringLiteral("Ready"));
    emit stateChanged();
}

void MainView::Start(std::vector<Volume> volumes, FolderTree::Watching watching) {
    list_->header()->resizeSection(0, settings_.Col1W);
    list_->header()->resizeSection(1, settings_.Col2W);
    list_->header()->resizeSection(2, settings_.Col3W);
    list_->SetNameColumnFollowsNames(settings_.Col1Fit != 0);
    tree_->SetShowHidden(settings_.Hidden != 0);

    QString folder = QString::fromStdString(settings_.DefaultDir);
    for (const QString& candidate : {folder, QDir::homePath(), QStringLiteral("/")}) {
        if (!candidate.isEmpty() && QDir::setCurrent(candidate)) {
            folder = QDir::cleanPath(QDir(candidate).absolutePath());
            break;
        }
    }
    const int volume = VolumeIndexForPath(volumes, folder.toStdString());
    model_->SetOnCdRom(volume >= 0 && volumes[volume].kind == VolumeKind::CdRom);
    model_->SetListHasFocus(true);
    folder_ = folder;
    model_->SetFolder(folder.toStdString());
    model_->SetFilterValue(settings_.ListType);
    model_->SetSortColumn(settings_.SortCol);
    ShowSortIndicator();

    tree_->FillVolumes(std::move(volumes), watching);
    if (watching == FolderTree::Watching::On && !folderWatcher_) {
        folderWatcher_ = new QFileSystemWatcher(this);
        liveTimer_ = new QTimer(this);
        liveTimer_->setSingleShot(true);
        liveTimer_->setInterval(kLiveListDelayMs);
        // Many changes in a row (a copy, an unpacked archive) give one listing.
        connect(folderWatcher_, &QFileSystemWatcher::directoryChanged, liveTimer_, [this] {
            if (!liveTimer_->isActive()) liveTimer_->start();
        });
        connect(liveTimer_, &QTimer::timeout, this, &MainView::FollowOutsideChange);
    }
    // Selecting the folder lists it; list here when the tree cannot show it.
    if (!tree_->selectPath(folder)) RunListing([this] { model_->FillList(); });
    RunListing([this] { model_->Sort(); });
}

ViewState MainView::State() const {
    ViewState v;
    v.currentFormat = model_->CurrentFormat();
    v.currentRow = model_->CurrentRow();
    v.currentIsBackup = model_->CurrentIsBackup();
    v.onCdRom = model_->OnCdRom();
    v.viewerKind = model_->ViewerKind();
    v.several = several_;
    return v;
}

std::vector<std::string> MainView::SelectedPaths() const {
    std::vector<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> paths;
    const std::string folder = model_->Folder();
    for (int row : rows) {
        if (row < 0 || row >= static_cast<int>(model_->Rows().size())) continue;
        paths.push_back(folder.empty() || folder.back() == '/' ? folder + model_->Rows()[static_cast<std::size_t>(row)].fileName
                                                               : folder + "/" + model_->Rows()[static_cast<std::size_t>(row)].fileName);
    }
    if (paths.empty() && !model_->CurrentPath().empty() && model_->CurrentRow() >= 0) paths.push_back(model_->CurrentPath());
    return paths;
}

QString MainView::Folder() const { return folder_; }

bool MainView::ShowFile(const QString& folder, const QString& name) {
    if (QDir::cleanPath(folder) != folder_) ShowFolder(folder, true);
    const int row = model_->FindRow(name.toStdString());
    if (row < 0) return false;
    model_->SelectRow(row);
    SelectRowInWidget(row);
    emit stateChanged();
    return true;
}

int MainView::ColumnWidth(int column) const { return list_->header()->sectionSize(column); }

void MainView::SetDivider(int treeWidth) {
    divider_ = std::max(0, treeWidth);
    dividerApplied_ = false;
    if (isVisible()) showEvent(nullptr);
}

int MainView::Divider() const {
    if (!dividerApplied_) return divider_;
    const QList<int> sizes = splitter_->sizes();
    return sizes.isEmpty() ? divider_ : sizes.constFirst();
}

void MainView::showEvent(QShowEvent* event) {
    if (event) QWidget::showEvent(event);
    if (dividerApplied_) return;
    dividerApplied_ = true;
    const int total = splitter_->width() - splitter_->handleWidth();
    const int tree = divider_ > 0 ? divider_ : std::max(180, total / 3);
    splitter_->setSizes({tree, std::max(1, total - tree)});
    ShowTreeSelection();
    list_->FitNameColumn();
}

void MainView::WatchFolder() {
    if (!folderWatcher_) return;
    const QStringList watched = folderWatcher_->directories();
    if (watched.size() == 1 && watched.constFirst() == folder_) return;
    if (!watched.isEmpty()) folderWatcher_->removePaths(watched);
    if (!folder_.isEmpty()) folderWatcher_->addPath(folder_);
}

void MainView::FollowOutsideChange() {
    // Not while a command, a dialog or another listing holds the window: the
    // shared image may be in use. Try again after the pause.
    if (commandRunning_ || listing_ || QApplication::activeModalWidget() || !window()->isEnabled()) {
        liveTimer_->start();
        return;
    }
    QScrollBar* bar = list_->verticalScrollBar();
    const int scrolled = bar->value();
    RunListing([this] {
        const int row = model_->CurrentRow();
        const std::string name =
            row >= 0 && row < static_cast<int>(model_->Rows().size()) ? model_->Rows()[row].fileName : std::string();
        model_->FillList();
        const int again = name.empty() ? -1 : model_->FindRow(name);
        if (again >= 0) model_->SelectRow(again);
        syncingSelection_ = true;
        QItemSelectionModel* selection = list_->selectionModel();
        if (again >= 0)
            selection->setCurrentIndex(table_->index(again, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        syncingSelection_ = false;
    });
    bar->setValue(scrolled);
}

void MainView::ShowSortIndicator() {
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(model_->SortColumn(),
                                      model_->SortOrder() == 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void MainView::ShowTreeSelection() {
    if (QTreeWidgetItem* current = tree_->currentItem()) {
        tree_->scrollToItem(current, QAbstractItemView::PositionAtCenter);
        tree_->horizontalScrollBar()->setValue(tree_->horizontalScrollBar()->minimum());
    }
}

void MainView::SetFilter(int filter) {
    settings_.ListType = filter;
    RunListing([this, filter] { model_->SetFilter(filter); });
}

void MainView::Refresh() {
    RunListing([this] { model_->RefreshKeepingSelection(); });
}

void MainView::FillList() {
    RunListing([this] { model_->FillList(); });
}

void MainView::FillListSelecting(const QString& name) {
    RunListing([this, name] {
        model_->FillList();
        const int row = model_->FindRow(name.toStdString());
        if (row >= 0) {
            model_->SelectRow(row);
            SelectRowInWidget(row);
        }
    });
}

void MainView::UpdateSelection() {
    model_->UpdateSelection();
    emit stateChanged();
}

void MainView::ShowFolder(const QString& folder, bool selectInTree) {
    if (QDir::setCurrent(folder)) {
        folder_ = QDir::cleanPath(QDir(folder).absolutePath());
        model_->SetFolder(folder_.toStdString());
        if (selectInTree) {
            // The tree follows without listing a second time.
            revertingFolder_ = true;
            tree_->selectPath(folder_);
            revertingFolder_ = false;
        }
    }
    RunListing([this] { model_->FillList(); });
}

void MainView::OnFolderSelected(QTreeWidgetItem* current, QTreeWidgetItem* /*previous*/) {
    if (!current || revertingFolder_ || FolderTree::IsPlaceholder(current)) return;
    const QString path = tree_->nodePath(current);
    const QString remembered = QDir::currentPath();
    if (!QDir::setCurrent(path)) {
        // The folder cannot be entered: go back to the one shown before.
        QDir::setCurrent(remembered);
        revertingFolder_ = true;
        tree_->selectPath(remembered);
        revertingFolder_ = false;
        return;
    }
    folder_ = path;
    model_->SetFolder(path.toStdString());
    RunListing([this] { model_->FillList(); });
}

void MainView::SelectRowInWidget(int row) {
    syncingSelection_ = true;
    several_.clear();
    QItemSelectionModel* selection = list_->selectionModel();
    if (row >= 0 && row < table_->rowCount()) {
        const QModelIndex index = table_->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list_->scrollTo(index);
    } else {
        selection->clearSelection();
    }
    syncingSelection_ = false;
}

void MainView::OnRowsSelected() {
    if (syncingSelection_ || listing_) return;
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    // The focused row is the one the panel shows; without one, the first selected.
    const QModelIndex focused = list_->selectionModel()->currentIndex();
    int row = -1;
    if (focused.isValid() && list_->selectionModel()->isRowSelected(focused.row(), QModelIndex())) row = focused.row();
    for (const QModelIndex& index : rows)
        if (row < 0 || (!focused.isValid() && index.row() < row)) row = index.row();
    several_.clear();
    if (rows.size() > 1) {
        RomImage probe;
        for (const std::string& path : SelectedPaths()) {
            SelectedFile file;
            file.format = probe.Identify(path) == EngineResult::Ok ? ToInt(probe.GetKind()) : 0;
            file.isBackup = IsBackupPath(path);
            several_.push_back(file);
        }
    }
    model_->SelectRow(row);
    emit stateChanged();
}

void MainView::OnDoubleClicked() {
    const ViewState v = State();
    if (SendEnabled(v, settings_))
        emit sendRequested();
    else if (v.viewerKind == 1)
        emit viewFileRequested();
}

} // namespace q64
