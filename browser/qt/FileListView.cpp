#include "browser/qt/FileListView.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace q64 {

FileListView::FileListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    // Shift, Ctrl and Ctrl+A select several files for the commands that take them.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);
    setIconSize(QSize(16, 15));
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true); // "Country" takes what the window has to spare
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header(), &QHeaderView::sectionClicked, this, &FileListView::headerClicked);
    // A width the user drags stays; a double click on the edge fits the names again.
    header()->viewport()->installEventFilter(this);
    connect(header(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section == 0 && headerPressed_) followNames_ = false;
    });
    connect(header(), &QHeaderView::sectionHandleDoubleClicked, this, [this](int section) {
        if (section != 0) return;
        followNames_ = true;
        FitNameColumn();
    });
}

void FileListView::FitNameColumn() {
    if (!followNames_ || !isVisible() || !model() || model()->rowCount() == 0) return;
    constexpr int kRoom = 8; // between the longest name and the next column
    const int least = header()->sectionSizeHint(0);
    const int most = std::max(least, viewport()->width() / 2);
    header()->resizeSection(0, std::clamp(sizeHintForColumn(0) + kRoom, least, most));
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == header()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) headerPressed_ = true;
        if (event->type() == QEvent::MouseButtonRelease) headerPressed_ = false;
    }
    return QTreeView::eventFilter(watched, event);
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) emit enterPressed();
    QTreeView::keyPressEvent(event);
}

void FileListView::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5)) : event->globalPos();
    emit contextMenuAt(at);
    event->accept();
}

void FileListView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    emit focusChanged(true);
}

void FileListView::focusOutEvent(QFocusEvent* event) {
    QTreeView::focusOutEvent(event);
    emit focusChanged(false);
}

} // namespace q64
