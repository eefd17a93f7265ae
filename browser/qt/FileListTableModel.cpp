#include "browser/qt/FileListTableModel.h"

#include "resources/Pictures.h"

namespace q64 {

namespace {
constexpr int kColumns = 3;
const char* const kHeadings[kColumns] = {"Filename", "ROM Name", "Country"};
} // namespace

FileListTableModel::FileListTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void FileListTableModel::ResetRows(const std::vector<FileEntry>& rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void FileListTableModel::UpdateRow(int row, const FileEntry& entry) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    rows_[row] = entry;
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

const FileEntry* FileListTableModel::Entry(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return &rows_[row];
}

int FileListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant FileListTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const FileEntry& e = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case 0: return QString::fromStdString(e.fileName);
        case 1: return QString::fromStdString(e.DisplayTitle());
        case 2: return QString::fromStdString(e.DisplayCountry());
        default: return {};
        }
    case Qt::DecorationRole:
        if (index.column() == 0) return pictures::RowPicture(static_cast<int>(e.kind));
        return {};
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default: return {};
    }
}

QVariant FileListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeadings[section]);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags FileListTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace q64
