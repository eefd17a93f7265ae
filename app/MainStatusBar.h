#pragma once
// The status bar: the message pane ("Ready", prompts, the view's texts),
// then the "CAP", "NUM" and "SCRL" indicators, drawn dim while their key is off.

#include <QStatusBar>

class QLabel;
class QMenu;
class QTimer;

namespace q64 {

class MainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit MainStatusBar(QWidget* parent = nullptr);

    // Writes the message pane (prompts shown while hovering still cover it).
    void SetText(const QString& text);
    QString Text() const;
    QLabel* Indicator(int index) const { return indicators_[index]; } // 0 CAP, 1 NUM, 2 SCRL
    // A prompt shown while the pointer is over `menu` goes away when the
    // pointer leaves the menu or the menu closes, uncovering the message pane.
    void FollowMenu(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RefreshIndicators();

    QLabel* message_ = nullptr;
    QLabel* indicators_[3] = {};
    QTimer* poll_ = nullptr;
};

} // namespace q64
