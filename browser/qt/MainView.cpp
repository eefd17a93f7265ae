#include "engine/Backup.h"
#include "browser/qt/MainView.h"

#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>
#include <QSplitter>
#include <QVBoxLayout>

#include "browser/qt/FileListTableModel.h"
#include "browser/qt/FileListView.h"
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
    splitter_->setSizes({190, 430});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(splitter_, 1);
    layout->addWidget(panel_, 0);

    InstallListener();
    connect(tree_, &QTreeWidget::currentItemChanged, this, &MainView::OnFolderSelected);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainView::OnRowsSelected);
    connect(list_, &FileListView::headerClicked, this, [this](int column) {
        model_->SortByColumn(column);
        list_->header()->setSortIndicator(column, Qt::AscendingOrder);
    });
    connect(list_, &FileListView::enterPressed, this, [this] {
        if (model_->ListHasFocus()) emit sendRequested();
    });
    connect(list_, &QAbstractItemView::doubleClicked, this, &MainView::OnDoubleClicked);
    connect(list_, &FileListView::contextMenuAt, this, &MainView::contextMenuRequested);
    connect(list_, &FileListView::focusChanged, this, [this](bool focus) { model_->SetListHasFocus(focus); });
}

MainView::~MainView() {
    // The model's listener points at widgets that are going away.
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
    if (status_) status_(QStringLiteral("Ready"));
    emit stateChanged();
}

void MainView::Start(std::vector<Volume> volumes, FolderTree::Watching watching) {
    list_->header()->resizeSection(0, settings_.Col1W);
    list_->header()->resizeSection(1, settings_.Col2W);
    list_->header()->resizeSection(2, settings_.Col3W);
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
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(settings_.SortCol, Qt::AscendingOrder);

    tree_->FillVolumes(std::move(volumes), watching);
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

int MainView::ColumnWidth(int column) const { return list_->header()->sectionSize(column); }

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
