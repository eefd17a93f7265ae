#pragma once
// "About Quorvel64...": the credits pane scrolling at 10 ms a pixel and an OK button.

#include <QDialog>

namespace q64 {

class CreditsScroller;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    CreditsScroller* Scroller() const { return scroller_; }
    // The credits, lines separated by "|" with their style characters.
    static QString CreditsText();

private:
    CreditsScroller* scroller_ = nullptr;
};

} // namespace q64
