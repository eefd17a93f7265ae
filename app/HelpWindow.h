#pragma once
// The help page shipped inside the program, shown in a window of its own.

#include <QDialog>

class QTextBrowser;

namespace q64 {

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
};

} // namespace q64
