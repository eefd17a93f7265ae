#include "app/WindowPlacement.h"

#include <algorithm>

namespace q64 {

QRect FirstStartRect(const QRect& available, const QSize& minimum) {
    const int w = std::max(minimum.width(), available.width() * kFirstStartPercent / 100);
    const int h = std::max(minimum.height(), available.height() * kFirstStartPercent / 100);
    QRect r(0, 0, std::min(w, std::max(available.width(), minimum.width())),
            std::min(h, std::max(available.height(), minimum.height())));
    r.moveCenter(available.center());
    return FitOnScreen(r, available);
}

QRect FitOnScreen(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    QRect r = frame;
    r.setWidth(std::min(r.width(), available.width()));
    r.setHeight(std::min(r.height(), available.height()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - r.height() + 1));
    return r;
}

QSize MinimumOnScreen(const QSize& minimum, const QRect& available, const QMargins& frame) {
    if (available.isEmpty()) return minimum;
    const QSize room = available.size().shrunkBy(frame);
    return minimum.boundedTo(room).expandedTo(QSize(1, 1));
}

QRect FitWindowOnScreen(const QRect& inner, const QMargins& frame, const QRect& available, const QSize& minimum) {
    if (available.isEmpty()) return inner;
    const QRect fitted = FitOnScreen(inner.marginsAdded(frame), available);
    QRect result = fitted.marginsRemoved(frame);
    result.setSize(result.size().expandedTo(minimum));
    return result;
}

int FirstStartDivider(int viewWidth) { return std::max(180, viewWidth / 3); }

} // namespace q64
