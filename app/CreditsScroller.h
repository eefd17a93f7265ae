#pragma once
// The about box's credits pane: lines of text and pictures scrolling up one
// pixel per timer tick on black, endlessly. A line's last character picks
// its style: tab (red, bold 21 px), line feed (yellow, bold 19 px), carriage
// return (cyan, bold 17 px), "^" (the rest names a picture), anything else
// (white, light 15 px; the character is drawn).

#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QTimer;

namespace q64 {

class CreditsScroller : public QWidget {
    Q_OBJECT
public:
    enum class Speed { Slow = 70, Medium = 40, Fast = 10 }; // timer period in ms

    explicit CreditsScroller(QWidget* parent = nullptr);

    // Splits `text` at `separator` into lines.
    void SetText(const QString& text, QChar separator = QLatin1Char('|'));
    void SetSpeed(Speed speed);
    void Start();
    int TimerPeriod() const;
    const QStringList& Lines() const { return lines_; }
    // Ticks so far and the index of the line being scrolled in (for the tests).
    int CurrentLine() const { return current_; }
    void Tick();

    // How many ticks line `line` stays current: its font's height, or its picture's.
    int TicksFor(const QString& line) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RenderCurrentLine();

    QStringList lines_;
    QTimer* timer_ = nullptr;
    int periodMs_ = static_cast<int>(Speed::Fast);
    QPixmap screen_;  // the pane's content
    QPixmap line_;    // the current line, pane-wide
    int current_ = 0;
    int rowInLine_ = 0;
    int column_ = 0;  // widest line or picture met so far
};

} // namespace q64
