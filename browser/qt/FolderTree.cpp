#include "browser/qt/FolderTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHeaderView>
#include <QMetaObject>

#include "browser/qt/TreeLineStyle.h"
#include "resources/Pictures.h"

namespace q64 {

namespace {

constexpr int kVolumeRole = Qt::UserRole;          // volume index on root nodes, -1 on folders
constexpr int kPlaceholderRole = Qt::UserRole + 1; // true on placeholder children

QString JoinPath(const QString& front, const QString& name) {
    return front.endsWith(QLatin1Char('/')) ? front + name : front + QLatin1Char('/') + name;
}

QIcon FolderIcon() {
    static const QIcon icon = [] {
        QIcon i(pictures::TreePicture(pictures::ClosedFolder));
        i.addPixmap(pictures::TreePicture(pictures::OpenFolder), QIcon::Selected);
        return i;
    }();
    return icon;
}

bool Watched(VolumeKind kind) {
    switch (kind) {
    case VolumeKind::Fixed:
    case VolumeKind::Network:
    case VolumeKind::Ram: return true;
    case VolumeKind::Removable:
    case VolumeKind::CdRom: return false;
    }
    return false;
}

} // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent), stop_(std::make_shared<StopEvent>()) {
    setHeaderHidden(true);
    auto* lines = new TreeLineStyle;
    lines->setParent(this);
    setStyle(lines);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setExpandsOnDoubleClick(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::onExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &FolderTree::onCollapsed);
}

FolderTree::~FolderTree() {
    stop_->Set();
    for (auto& watcher : watchers_)
        if (watcher) watcher->Join();
}

void FolderTree::FillVolumes(std::vector<Volume> volumes, Watching watching) {
    if (!volumes_.empty()) return;
    volumes_ = std::move(volumes);
    mediaSerial_.assign(volumes_.size(), -1);
    watchers_.resize(volumes_.size());
    for (std::size_t i = 0; i < volumes_.size(); ++i) {
        const Volume& v = volumes_[i];
        auto* node = new QTreeWidgetItem(QStringList(QString::fromStdString(v.root)));
        node->setData(0, kVolumeRole, static_cast<int>(i));
        node->setIcon(0, QIcon(pictures::TreePicture(static_cast<int>(v.kind))));
        addTopLevelItem(node);
        if (v.kind == VolumeKind::Removable) {
            AddPlaceholder(node);
        } else if (v.kind == VolumeKind::CdRom) {
            AddPlaceholder(node);
            mediaSerial_[i] = ReadMediaSerial(v.root);
        } else {
            if (hasSubfolder(QString::fromStdString(v.root))) AddPlaceholder(node);
            if (watching == Watching::On && Watched(v.kind)) {
                // The report crosses to this thread as a queued call; nothing else is shared.
                auto watcher = std::make_unique<DriveWatcher>(static_cast<int>(i), stop_, [this](int index) {
                    QMetaObject::invokeMethod(this, [this, index] { onChangeReport(index); }, Qt::QueuedConnection);
                });
                if (watcher->Start()) watchers_[i] = std::move(watcher);
            }
        }
    }
    UpdateWatches();
}

int FolderTree::WatcherCount() const {
    int n = 0;
    for (const auto& w : watchers_) n += w ? 1 : 0;
    return n;
}

bool FolderTree::IsPlaceholder(const QTreeWidgetItem* node) {
    return node && node->data(0, kPlaceholderRole).toBool();
}

bool FolderTree::IsVolumeNode(const QTreeWidgetItem* node) const {
    return node && !node->parent() && node->data(0, kVolumeRole).toInt() >= 0;
}

int FolderTree::VolumeOf(const QTreeWidgetItem* node) const {
    while (node && node->parent()) node = node->parent();
    return node ? node->data(0, kVolumeRole).toInt() : -1;
}

QTreeWidgetItem* FolderTree::VolumeNode(int volumeIndex) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->data(0, kVolumeRole).toInt() == volumeIndex) return topLevelItem(i);
    return nullptr;
}

QString FolderTree::nodePath(const QTreeWidgetItem* node) const {
    if (!node || IsPlaceholder(node)) return QString();
    QString path = node->text(0);
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent()) {
        const QString front = up->text(0);
        path = front.endsWith(QLatin1Char('/')) ? front + path : front + QLatin1Char('/') + path;
    }
    return path;
}

bool FolderTree::hasSubfolder(const QString& path) const {
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (showHidden_) filters |= QDir::Hidden;
    QDirIterator it(path, filters);
    return it.hasNext();
}

QStringList FolderTree::Subfolders(const QString& path) const {
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (showHidden_) filters |= QDir::Hidden;
    return QDir(path).entryList(filters, QDir::Name | QDir::IgnoreCase);
}

void FolderTree::AddPlaceholder(QTreeWidgetItem* node) {
    auto* placeholder = new QTreeWidgetItem(QStringList(QString()));
    placeholder->setData(0, kPlaceholderRole, true);
    placeholder->setData(0, kVolumeRole, -1);
    node->addChild(placeholder);
}

void FolderTree::DeleteChildren(QTreeWidgetItem* node) {
    const QList<QTreeWidgetItem*> children = node->takeChildren();
    qDeleteAll(children);
}

QTreeWidgetItem* FolderTree::AddFolderNode(QTreeWidgetItem* parent, const QString& name, const QString& path) {
    auto* child = new QTreeWidgetItem(QStringList(name));
    child->setData(0, kVolumeRole, -1);
    child->setIcon(0, FolderIcon());
    // Alphabetical position among the real children.
    int at = 0;
    while (at < parent->childCount() &&
           (IsPlaceholder(parent->child(at)) ||
            QString::compare(parent->child(at)->text(0), name, Qt::CaseInsensitive) < 0))
        ++at;
    parent->insertChild(at, child);
    if (hasSubfolder(path)) AddPlaceholder(child);
    return child;
}

int FolderTree::listSubfolders(QTreeWidgetItem* node, const QString& path) {
    if (!QFileInfo(path).isReadable() && IsVolumeNode(node)) {
        AddPlaceholder(node);
        return 0;
    }
    int inserted = 0;
    for (const QString& name : Subfolders(path)) {
        AddFolderNode(node, name, JoinPath(path, name));
        ++inserted;
    }
    return inserted;
}

bool FolderTree::MediumCheck(int volumeIndex) {
    if (volumeIndex < 0 || volumeIndex >= static_cast<int>(volumes_.size())) return false;
    const VolumeKind kind = volumes_[volumeIndex].kind;
    if (kind != VolumeKind::Removable && kind != VolumeKind::CdRom) return true;
    const std::int64_t serial = ReadMediaSerial(volumes_[volumeIndex].root);
    const std::int64_t stored = mediaSerial_[volumeIndex];
    mediaSerial_[volumeIndex] = serial;
    return serial != -1 && (stored == -1 || stored == serial);
}

void FolderTree::ResetVolumeNode(QTreeWidgetItem* volumeNode) {
    volumeNode->setExpanded(false);
    DeleteChildren(volumeNode);
    AddPlaceholder(volumeNode);
}

bool FolderTree::FolderGone(const QTreeWidgetItem* node, const QString& path) const {
    return !IsVolumeNode(node) && !QFileInfo(path).isDir();
}

bool FolderTree::NodeStillStands(QTreeWidgetItem* node, const QString& path) {
    const int volume = VolumeOf(node);
    if (!MediumCheck(volume)) {
        if (QTreeWidgetItem* root = VolumeNode(volume)) ResetVolumeNode(root);
        return false;
    }
    if (FolderGone(node, path)) {
        delete node;
        return false;
    }
    return true;
}

void FolderTree::onExpanded(QTreeWidgetItem* node) {
    if (busy_ || IsPlaceholder(node)) return;
    busy_ = true;
    const QString path = nodePath(node);
    if (NodeStillStands(node, path)) {
        DeleteChildren(node);
        listSubfolders(node, path);
    }
    busy_ = false;
    UpdateWatches();
}

void FolderTree::onCollapsed(QTreeWidgetItem* node) {
    if (busy_ || IsPlaceholder(node)) return;
    busy_ = true;
    const QString path = nodePath(node);
    if (NodeStillStands(node, path)) {
        DeleteChildren(node);
        if (IsVolumeNode(node) || hasSubfolder(path)) AddPlaceholder(node);
    }
    busy_ = false;
    UpdateWatches();
}

void FolderTree::onChangeReport(int volumeIndex) {
    if (volumeIndex >= 0 && volumeIndex < static_cast<int>(watchers_.size()) && watchers_[volumeIndex])
        watchers_[volumeIndex]->Acknowledge();
    QTreeWidgetItem* root = VolumeNode(volumeIndex);
    if (!root || busy_) return;
    busy_ = true;
    if (MediumCheck(volumeIndex))
        resyncSubtree(root, nodePath(root));
    else
        ResetVolumeNode(root);
    busy_ = false;
    UpdateWatches();
    emit resynced(volumeIndex);
}

void FolderTree::resyncSubtree(QTreeWidgetItem* node, const QString& path) {
    if (!node->isExpanded() || node->childCount() == 0) {
        if (IsVolumeNode(node)) return;
        const bool subfolders = hasSubfolder(path);
        if (node->childCount() == 0 && subfolders)
            AddPlaceholder(node);
        else if (!subfolders)
            DeleteChildren(node);
        node->setExpanded(false);
        return;
    }
    QSet<QString> known;
    for (int i = node->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* child = node->child(i);
        if (IsPlaceholder(child)) {
            delete child;
            continue;
        }
        if (!QFileInfo(JoinPath(path, child->text(0))).isDir())
            delete child;
        else
            known.insert(child->text(0));
    }
    for (const QString& name : Subfolders(path)) {
        if (known.contains(name)) continue;
        AddFolderNode(node, name, JoinPath(path, name));
        known.insert(name);
    }
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (!IsPlaceholder(child)) resyncSubtree(child, JoinPath(path, child->text(0)));
    }
}

void FolderTree::UpdateWatches() {
    std::vector<std::vector<std::string>> folders(volumes_.size());
    // Every folder on screen: the roots, expanded folders and their children.
    std::vector<QTreeWidgetItem*> stack;
    for (int i = 0; i < topLevelItemCount(); ++i) stack.push_back(topLevelItem(i));
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        const int volume = VolumeOf(node);
        if (volume < 0 || volume >= static_cast<int>(folders.size())) continue;
        folders[volume].push_back(nodePath(node).toStdString());
        if (!node->isExpanded()) continue;
        for (int i = 0; i < node->childCount(); ++i)
            if (!IsPlaceholder(node->child(i))) stack.push_back(node->child(i));
    }
    for (std::size_t v = 0; v < watchers_.size(); ++v)
        if (watchers_[v]) watchers_[v]->SetFolders(folders[v]);
}

QTreeWidgetItem* FolderTree::findNode(const QString& rawPath) const {
    const QString path = QDir::cleanPath(rawPath);
    const int volume = VolumeIndexForPath(volumes_, path.toStdString());
    QTreeWidgetItem* node = VolumeNode(volume);
    if (!node) return nullptr;
    const QString root = node->text(0);
    const QStringList parts = path.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i)
            if (!IsPlaceholder(node->child(i)) && node->child(i)->text(0) == part) next = node->child(i);
        if (!next) return nullptr;
        node = next;
    }
    return node;
}

bool FolderTree::selectPath(const QString& rawPath) {
    if (rawPath.isEmpty() || !rawPath.startsWith(QLatin1Char('/'))) return false;
    const QString path = QDir::cleanPath(rawPath);
    const int volume = VolumeIndexForPath(volumes_, path.toStdString());
    QTreeWidgetItem* node = VolumeNode(volume);
    if (!node) return false;
    const QStringList parts = path.mid(node->text(0).size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!node->isExpanded()) node->setExpanded(true); // reads the folder
        auto findChild = [&](Qt::CaseSensitivity cs) -> QTreeWidgetItem* {
            for (int i = 0; i < node->childCount(); ++i) {
                QTreeWidgetItem* child = node->child(i);
                if (!IsPlaceholder(child) && QString::compare(child->text(0), part, cs) == 0) return child;
            }
            return nullptr;
        };
        QTreeWidgetItem* next = findChild(Qt::CaseSensitive);
        if (!next && node->isExpanded()) {
            // Made since the node was read (and not reported yet): read it afresh.
            busy_ = true;
            DeleteChildren(node);
            listSubfolders(node, nodePath(node));
            busy_ = false;
            next = findChild(Qt::CaseSensitive);
        }
        if (!next) next = findChild(Qt::CaseInsensitive);
        if (!next) {
            UpdateWatches();
            return false;
        }
        node = next;
    }
    setCurrentItem(node);
    scrollToItem(node);
    UpdateWatches();
    return true;
}

} // namespace q64
