#pragma once
// The Qt item model behind the file list widget: a copy of the FileListModel's
// rows, three columns ("Filename", "ROM Name", "Country") and the row picture
// of each entry's kind. It holds a copy so the widget never reads rows that
// the listing is replacing; the main view refreshes it through the model's
// listener.

#include <QAbstractTableModel>
#include <vector>

#include "browser/FileEntry.h"

namespace q64 {

class FileListTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListTableModel(QObject* parent = nullptr);

    // Replaces every row (a model reset).
    void ResetRows(const std::vector<FileEntry>& rows);
    // Replaces one row's texts and picture; out-of-range rows are ignored.
    void UpdateRow(int row, const FileEntry& entry);
    const FileEntry* Entry(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<FileEntry> rows_;
};

} // namespace q64
