#include "app/CreditsScroller.h"

#include <QPainter>
#include <QTimer>

#include "resources/Pictures.h"

namespace q64 {

namespace {

struct LineStyle {
    int pixels;
    int weight;
    QColor colour;
    bool dropLast;
};

LineStyle StyleOf(const QString& line) {
    const QChar last = line.isEmpty() ? QChar() : line.back();
    if (last == QLatin1Char('\t')) return {21, QFont::Bold, Qt::red, true};
    if (last == QLatin1Char('\n')) return {19, QFont::Bold, Qt::yellow, true};
    if (last == QLatin1Char('\r')) return {17, QFont::Bold, Qt::cyan, true};
    return {15, QFont::Thin, Qt::white, false};
}

bool IsPictureLine(const QString& line) { return line.endsWith(QLatin1Char('^')); }

QPixmap PictureOf(const QString& line) { return pictures::CreditsPicture(line.left(line.size() - 1)); }

QFont FontOf(const LineStyle& style) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(style.pixels);
    font.setWeight(static_cast<QFont::Weight>(style.weight));
    return font;
}

} // namespace

CreditsScroller::CreditsScroller(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_ = new QTimer(this);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &CreditsScroller::Tick);
}

void CreditsScroller::SetText(const QString& text, QChar separator) {
    lines_ = text.split(separator);
    current_ = 0;
    rowInLine_ = 0;
    RenderCurrentLine();
}

void CreditsScroller::SetSpeed(Speed speed) {
    periodMs_ = static_cast<int>(speed);
    if (timer_->isActive()) timer_->start(periodMs_);
}

int CreditsScroller::TimerPeriod() const { return periodMs_; }

void CreditsScroller::Start() { timer_->start(periodMs_); }

int CreditsScroller::TicksFor(const QString& line) const {
    if (IsPictureLine(line)) {
        const QPixmap pm = PictureOf(line);
        return pm.isNull() ? 1 : pm.height();
    }
    return StyleOf(line).pixels;
}

void CreditsScroller::RenderCurrentLine() {
    const int width = std::max(1, this->width());
    if (lines_.isEmpty()) {
        line_ = QPixmap();
        return;
    }
    const QString& line = lines_[current_];
    line_ = QPixmap(width, std::max(1, TicksFor(line)));
    line_.fill(Qt::black);
    QPainter p(&line_);
    if (IsPictureLine(line)) {
        const QPixmap pm = PictureOf(line);
        if (pm.isNull()) return;
        column_ = std::min(width, std::max(column_, pm.width()));
        const int columnLeft = (width - column_) / 2;
        p.drawPixmap(columnLeft + (column_ - pm.width()) / 2, 0, pm);
        return;
    }
    const LineStyle style = StyleOf(line);
    const QString text = style.dropLast ? line.left(line.size() - 1) : line;
    const QFont font = FontOf(style);
    p.setFont(font);
    p.setPen(style.colour);
    column_ = std::min(width, std::max(column_, QFontMetrics(font).horizontalAdvance(text)));
    const int columnLeft = (width - column_) / 2;
    p.drawText(QRect(columnLeft, 0, column_, line_.height()), Qt::AlignCenter | Qt::TextSingleLine, text);
}

void CreditsScroller::Tick() {
    if (screen_.isNull() || line_.isNull()) return;
    // Move the content up one pixel and draw the bottom row from the current line.
    QPixmap next(screen_.size());
    {
        QPainter p(&next);
        p.drawPixmap(0, -1, screen_);
        p.drawPixmap(QRect(0, next.height() - 1, next.width(), 1), line_, QRect(0, rowInLine_, line_.width(), 1));
    }
    screen_ = next;
    if (++rowInLine_ >= line_.height()) {
        rowInLine_ = 0;
        current_ = (current_ + 1) % lines_.size(); // after the last line, the first again
        RenderCurrentLine();
    }
    update();
}

void CreditsScroller::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (screen_.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawPixmap(0, 0, screen_);
}

void CreditsScroller::resizeEvent(QResizeEvent*) {
    screen_ = QPixmap(size());
    screen_.fill(Qt::black);
    RenderCurrentLine();
}

} // namespace q64
