#pragma once
// The tree of volumes and folders (left half of the main view). Volumes are
// the roots; folders are read one level at a time when a node is expanded and
// forgotten when it is collapsed. Removable and CD-ROM volumes get a medium
// check on every expansion; fixed, network and RAM volumes get a DriveWatcher
// whose (coalesced) reports bring the expanded nodes in line with the disk.

#include <QTreeWidget>
#include <memory>
#include <vector>

#include "browser/DriveList.h"
#include "browser/DriveWatcher.h"

namespace q64 {

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    enum class Watching { On, Off };

    explicit FolderTree(QWidget* parent = nullptr);
    // Sets the stop event and waits for every watcher thread to end.
    ~FolderTree() override;

    // Adds one root node per volume, in the given order, and starts the
    // watchers. Done once; a second call is ignored.
    void FillVolumes(std::vector<Volume> volumes, Watching watching = Watching::On);
    const std::vector<Volume>& Volumes() const { return volumes_; }

    // List folders whose names start with "." too.
    void SetShowHidden(bool show) { showHidden_ = show; }

    // The folder a node stands for: its ancestors' texts joined with "/"
    // ("" for a null node or a placeholder).
    QString nodePath(const QTreeWidgetItem* node) const;
    // Expands the tree down to `path` and selects its node. On failure the
    // nodes expanded on the way stay expanded and the selection stays.
    bool selectPath(const QString& path);
    // The node shown for `path` right now, without expanding anything.
    QTreeWidgetItem* findNode(const QString& path) const;

    static bool IsPlaceholder(const QTreeWidgetItem* node);
    bool IsVolumeNode(const QTreeWidgetItem* node) const;
    int WatcherCount() const;

signals:
    // A change report was handled for the volume (after the re-sync).
    void resynced(int volumeIndex);

private:
    void onExpanded(QTreeWidgetItem* node);
    void onCollapsed(QTreeWidgetItem* node);
    void onChangeReport(int volumeIndex);

    int VolumeOf(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* VolumeNode(int volumeIndex) const;
    bool MediumCheck(int volumeIndex);
    void ResetVolumeNode(QTreeWidgetItem* volumeNode);
    bool FolderGone(const QTreeWidgetItem* node, const QString& path) const;
    // Deals with a medium or folder that went away under `node` (the volume is
    // reset, or the node deleted); true when the node still stands.
    bool NodeStillStands(QTreeWidgetItem* node, const QString& path);
    bool hasSubfolder(const QString& path) const;
    QStringList Subfolders(const QString& path) const;
    int listSubfolders(QTreeWidgetItem* node, const QString& path);
    QTreeWidgetItem* AddFolderNode(QTreeWidgetItem* parent, const QString& name, const QString& path);
    void AddPlaceholder(QTreeWidgetItem* node);
    void DeleteChildren(QTreeWidgetItem* node);
    void resyncSubtree(QTreeWidgetItem* node, const QString& path);
    void UpdateWatches();

    std::vector<Volume> volumes_;
    std::vector<std::int64_t> mediaSerial_;
    std::shared_ptr<StopEvent> stop_;
    std::vector<std::unique_ptr<DriveWatcher>> watchers_; // index = volume index (null: none)
    bool showHidden_ = false;
    bool busy_ = false; // inside an expansion handler: ignore the nested signals
};

} // namespace q64
