#include "browser/qt/FileListView.h"

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
