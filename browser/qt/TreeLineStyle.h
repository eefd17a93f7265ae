#pragma once
// The folder tree's branch drawing: dotted lines joining every node to its
// parent and siblings, and a small boxed "+" or "-" on nodes that can expand,
// whatever the desktop's style draws by default.

#include <QProxyStyle>

namespace q64 {

class TreeLineStyle : public QProxyStyle {
    Q_OBJECT
public:
    TreeLineStyle();
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

} // namespace q64
