#pragma once
// The file list widget: a flat, full-row, single-selection list with column
// headings. It reports the keys and clicks the main view acts on.

#include <QTreeView>

namespace q64 {

class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // The "Filename" column follows the names of the folder shown (FitNameColumn)
    // until the user drags its edge; a double click on the edge makes it follow again.
    bool NameColumnFollowsNames() const { return followNames_; }
    void SetNameColumnFollowsNames(bool follow) { followNames_ = follow; }
    // While the column follows the names and the list is shown: widens or
    // narrows it to the longest name listed (the first thousand rows), at
    // least its heading, at most half the list. An empty list keeps it.
    void FitNameColumn();

signals:
    void enterPressed();                          // Enter or Return; the key then goes on to the list
    void contextMenuAt(const QPoint& globalPos);  // pointer, or 5 pixels into the list for the menu key
    void focusChanged(bool hasFocus);
    void headerClicked(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool followNames_ = true;
    bool headerPressed_ = false; // a mouse button is down on the headings
};

} // namespace q64
