#pragma once
// The file list widget: a flat, full-row, single-selection list with column
// headings. It reports the keys and clicks the main view acts on.

#include <QTreeView>

namespace q64 {

class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

signals:
    void enterPressed();                          // Enter or Return; the key then goes on to the list
    void contextMenuAt(const QPoint& globalPos);  // pointer, or 5 pixels into the list for the menu key
    void focusChanged(bool hasFocus);
    void headerClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace q64
