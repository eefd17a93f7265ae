#include "browser/qt/TreeLineStyle.h"

#include <QPainter>
#include <QStyleOption>

namespace q64 {

TreeLineStyle::TreeLineStyle() : QProxyStyle() {}

void TreeLineStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    if (element != PE_IndicatorBranch) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QRect r = option->rect;
    const int cx = r.left() + r.width() / 2;
    const int cy = r.top() + r.height() / 2;
    painter->save();
    QPen dotted(option->palette.color(QPalette::Mid), 1, Qt::DotLine);
    painter->setPen(dotted);
    if (option->state & State_Item) {
        painter->drawLine(cx, cy, r.right(), cy);
        painter->drawLine(cx, r.top(), cx, cy);
    }
    if (option->state & State_Sibling) painter->drawLine(cx, r.top(), cx, r.bottom());
    if (option->state & State_Children) {
        const QRect box(cx - 4, cy - 4, 8, 8);
        painter->setPen(option->palette.color(QPalette::Dark));
        painter->setBrush(option->palette.color(QPalette::Base));
        painter->drawRect(box);
        painter->setPen(option->palette.color(QPalette::Text));
        painter->drawLine(box.left() + 2, cy, box.right() - 2, cy);
        if (!(option->state & State_Open)) painter->drawLine(cx, box.top() + 2, cx, box.bottom() - 2);
    }
    painter->restore();
}

} // namespace q64
