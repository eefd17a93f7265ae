#include "resources/Pictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

// Outside any namespace, as the resource initialiser expects.
static void InitQuorvelResources() { Q_INIT_RESOURCE(resources); }

namespace q64::pictures {

void EnsureResources() {
    static const bool done = [] {
        InitQuorvelResources();
        return true;
    }();
    (void)done;
}

namespace {

QPixmap Blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// A sheet of paper with a folded corner.
void Paper(QPainter& p, const QColor& fill, int w = 11, int h = 14) {
    QPainterPath path;
    path.moveTo(2.5, 0.5);
    path.lineTo(2.5 + w - 4, 0.5);
    path.lineTo(2.5 + w, 4.5);
    path.lineTo(2.5 + w, 0.5 + h);
    path.lineTo(2.5, 0.5 + h);
    path.closeSubpath();
    p.setPen(QColor(60, 60, 60));
    p.setBrush(fill);
    p.drawPath(path);
    p.drawLine(QPointF(2.5 + w - 4, 0.5), QPointF(2.5 + w - 4, 4.5));
    p.drawLine(QPointF(2.5 + w - 4, 4.5), QPointF(2.5 + w, 4.5));
}

void PaperLines(QPainter& p, const QColor& colour, int count) {
    p.setPen(colour);
    for (int i = 0; i < count; ++i) p.drawLine(5, 6 + 2 * i, 11, 6 + 2 * i);
}

// A cartridge seen from the front: grey shell, coloured label.
void Cartridge(QPainter& p, const QRectF& r, const QColor& label) {
    p.setPen(QColor(30, 30, 30));
    p.setBrush(QColor(110, 110, 120));
    QPainterPath shell;
    const qreal notch = r.width() / 6;
    shell.moveTo(r.left(), r.top() + notch);
    shell.lineTo(r.left() + notch, r.top());
    shell.lineTo(r.right() - notch, r.top());
    shell.lineTo(r.right(), r.top() + notch);
    shell.lineTo(r.right(), r.bottom());
    shell.lineTo(r.left(), r.bottom());
    shell.closeSubpath();
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(label);
    p.drawRect(r.adjusted(r.width() / 5, r.height() / 4, -r.width() / 5, -r.height() / 4));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, qreal width = 2.0) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::max<qreal>(1.0, std::hypot(d.x(), d.y()));
    const QPointF u = d / len, n(-u.y(), u.x());
    p.drawLine(to, to - u * 3.5 + n * 3.0);
    p.drawLine(to, to - u * 3.5 - n * 3.0);
}

QPixmap DrawRow(int kind) {
    QPixmap pm = Blank(16, 15);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (kind) {
    case 0: // not examined
        Paper(p, QColor(225, 225, 225), 11, 13);
        p.setPen(QColor(90, 90, 90));
        p.setFont(QFont(QStringLiteral("Sans"), 7, QFont::Bold));
        p.drawText(QRect(2, 2, 12, 12), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case 1: // other file
        Paper(p, Qt::white, 11, 13);
        PaperLines(p, QColor(170, 170, 170), 3);
        break;
    case 2: Cartridge(p, QRectF(1.5, 1.5, 13, 12), QColor(220, 40, 40)); break;
    case 3: // BIOS: a chip
        p.setPen(QColor(160, 160, 160));
        for (int x = 3; x <= 12; x += 3) {
            p.drawLine(x, 1, x, 3);
            p.drawLine(x, 11, x, 13);
        }
        p.setPen(Qt::black);
        p.setBrush(QColor(40, 40, 50));
        p.drawRect(1, 3, 13, 8);
        p.setPen(QColor(240, 200, 60));
        p.drawPoint(3, 5);
        break;
    case 4: // IPS patch: paper with a green cross
        Paper(p, Qt::white, 11, 13);
        p.fillRect(6, 5, 3, 8, QColor(30, 150, 60));
        p.fillRect(4, 7, 7, 3, QColor(30, 150, 60));
        break;
    case 5: // SAV: a memory pak (grey, so it never reads as a red cartridge)
        p.setPen(Qt::black);
        p.setBrush(QColor(130, 130, 140));
        p.drawRect(2, 2, 11, 11);
        p.fillRect(4, 4, 7, 3, QColor(250, 230, 230));
        p.fillRect(5, 10, 5, 2, QColor(80, 80, 80));
        break;
    case 6: // folder
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(250, 210, 80));
        p.drawRect(1, 4, 14, 9);
        p.drawRect(1, 2, 6, 2);
        break;
    case 7: // compressed image: cartridge in a clamp
        Cartridge(p, QRectF(3.5, 1.5, 9, 12), QColor(40, 110, 220));
        p.fillRect(0, 6, 16, 2, QColor(20, 20, 20));
        p.fillRect(0, 3, 2, 8, QColor(20, 20, 20));
        p.fillRect(14, 3, 2, 8, QColor(20, 20, 20));
        break;
    case 8: // text file
        Paper(p, Qt::white, 11, 13);
        PaperLines(p, QColor(40, 70, 200), 4);
        break;
    case 9: // DX256: a disk with a label
        p.setPen(Qt::black);
        p.setBrush(QColor(40, 40, 120));
        p.drawRect(1, 1, 13, 12);
        p.fillRect(4, 2, 7, 4, QColor(200, 200, 210));
        p.fillRect(3, 8, 9, 5, Qt::white);
        p.setPen(Qt::black);
        p.setFont(QFont(QStringLiteral("Sans"), 4));
        p.drawText(QRect(3, 8, 9, 5), Qt::AlignCenter, QStringLiteral("DX"));
        break;
    case 10: // memory pak: a Controller Pak from the front, its contacts on top
        p.setPen(Qt::black);
        p.setBrush(QColor(45, 45, 50));
        p.drawRect(2, 3, 11, 11);
        for (int x = 4; x <= 11; x += 2) p.fillRect(x, 1, 1, 2, QColor(215, 170, 40));
        p.fillRect(4, 5, 7, 5, QColor(200, 40, 40));
        p.fillRect(5, 6, 5, 1, Qt::white);
        p.fillRect(5, 8, 3, 1, Qt::white);
        break;
    default: break;
    }
    return pm;
}

void DiskBox(QPainter& p, const QColor& body, const QColor& led) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(body);
    p.drawRect(1, 5, 14, 7);
    p.fillRect(11, 9, 2, 2, led);
}

QPixmap DrawTree(int index) {
    QPixmap pm = Blank(16, 16);
    QPainter p(&pm);
    switch (index) {
    case FixedDisk: DiskBox(p, QColor(190, 190, 190), QColor(30, 200, 30)); break;
    case RemovableDisk:
        p.setPen(Qt::black);
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(2, 1, 12, 13);
        p.fillRect(5, 2, 6, 4, QColor(200, 200, 210));
        p.fillRect(4, 8, 8, 6, Qt::white);
        break;
    case CdRom: {
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient g(QPointF(8, 8), 7);
        g.setColorAt(0, QColor(250, 250, 255));
        g.setColorAt(0.6, QColor(170, 200, 230));
        g.setColorAt(1, QColor(220, 180, 240));
        p.setPen(QColor(90, 90, 110));
        p.setBrush(g);
        p.drawEllipse(QPointF(8, 8), 7, 7);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 2, 2);
        break;
    }
    case NetworkDrive:
        DiskBox(p, QColor(190, 190, 190), QColor(30, 200, 30));
        p.setPen(QPen(QColor(30, 60, 160), 2));
        p.drawLine(8, 12, 8, 15);
        p.drawLine(2, 15, 14, 15);
        break;
    case RamDisk:
        p.setPen(Qt::black);
        p.setBrush(QColor(30, 120, 50));
        p.drawRect(1, 4, 14, 7);
        for (int x = 3; x <= 12; x += 3) p.fillRect(x, 6, 2, 3, QColor(20, 20, 20));
        p.setPen(QColor(220, 180, 40));
        for (int x = 2; x <= 14; x += 2) p.drawLine(x, 12, x, 13);
        break;
    case ClosedFolder:
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(250, 210, 80));
        p.drawRect(1, 4, 14, 10);
        p.drawRect(1, 2, 6, 2);
        break;
    case OpenFolder: {
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(230, 180, 50));
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 2, 6, 2);
        QPolygon front;
        front << QPoint(3, 7) << QPoint(15, 7) << QPoint(13, 14) << QPoint(1, 14);
        p.setBrush(QColor(255, 230, 130));
        p.drawPolygon(front);
        break;
    }
    default: break;
    }
    return pm;
}

QPixmap DrawTool(int index) {
    QPixmap pm = Blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor green(20, 140, 40), blue(30, 80, 200), red(200, 30, 30);
    switch (index) {
    case ToolSend:
        Cartridge(p, QRectF(8.5, 3.5, 7, 10), red);
        Arrow(p, QPointF(1, 8), QPointF(8, 8), green);
        break;
    case ToolReceive:
        Cartridge(p, QRectF(0.5, 3.5, 7, 10), red);
        Arrow(p, QPointF(15, 8), QPointF(8, 8), blue);
        break;
    case ToolReSize:
        p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        Arrow(p, QPointF(4, 12), QPointF(13, 3), blue, 1.6);
        break;
    case ToolFlip:
        Arrow(p, QPointF(2, 5), QPointF(14, 5), blue, 1.6);
        Arrow(p, QPointF(14, 11), QPointF(2, 11), red, 1.6);
        break;
    case ToolPatch:
        p.translate(8, 8);
        p.rotate(-45);
        p.setPen(QColor(140, 90, 40));
        p.setBrush(QColor(240, 200, 150));
        p.drawRoundedRect(QRectF(-7, -3, 14, 6), 3, 3);
        p.setBrush(QColor(255, 240, 220));
        p.drawRect(QRectF(-2.5, -3, 5, 6));
        break;
    case ToolCrc:
        p.setPen(QPen(green, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2, 9), QPointF(6, 13), QPointF(14, 3)}));
        break;
    case ToolCompress:
        Arrow(p, QPointF(1, 8), QPointF(6, 8), blue, 1.6);
        Arrow(p, QPointF(15, 8), QPointF(10, 8), blue, 1.6);
        p.fillRect(7, 2, 2, 12, Qt::black);
        break;
    case ToolDeCompress:
        Arrow(p, QPointF(6, 8), QPointF(1, 8), green, 1.6);
        Arrow(p, QPointF(10, 8), QPointF(15, 8), green, 1.6);
        p.fillRect(7, 2, 2, 12, Qt::black);
        break;
    case ToolFilter: {
        QPolygonF funnel({QPointF(1, 2), QPointF(15, 2), QPointF(9.5, 8), QPointF(9.5, 14), QPointF(6.5, 12),
                          QPointF(6.5, 8)});
        p.setPen(Qt::black);
        p.setBrush(QColor(100, 160, 230));
        p.drawPolygon(funnel);
        break;
    }
    case ToolExit:
        p.setPen(Qt::black);
        p.setBrush(QColor(150, 100, 50));
        p.drawRect(QRectF(2.5, 1.5, 8, 13));
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(8.5, 8.5), 0.8, 0.8);
        Arrow(p, QPointF(9, 8), QPointF(15, 8), red, 1.6);
        break;
    default: break;
    }
    return pm;
}

QPixmap DrawIcon(int size) {
    QPixmap pm = Blank(size, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    Cartridge(p, QRectF(6, 4, 52, 56), QColor(30, 30, 60));
    p.setPen(QColor(255, 210, 60));
    QFont f(QStringLiteral("Sans"), 22, QFont::Black);
    f.setPixelSize(28);
    p.setFont(f);
    p.drawText(QRectF(6, 14, 52, 36), Qt::AlignCenter, QStringLiteral("Q"));
    return pm;
}

QPixmap DrawSplash() {
    QPixmap pm(400, 261);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 261);
    sky.setColorAt(0, QColor(10, 10, 50));
    sky.setColorAt(1, QColor(70, 20, 90));
    p.fillRect(pm.rect(), sky);
    // A few stars, placed by a fixed sequence so the picture never changes.
    unsigned seed = 7;
    p.setPen(QColor(220, 220, 255));
    for (int i = 0; i < 70; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int x = static_cast<int>((seed >> 8) % 400);
        seed = seed * 1103515245u + 12345u;
        const int y = static_cast<int>((seed >> 8) % 150);
        p.drawPoint(x, y);
    }
    Cartridge(p, QRectF(318, 118, 62, 76), QColor(200, 40, 40));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Sans"), 9, QFont::Bold));
    p.drawText(QRectF(318, 136, 62, 40), Qt::AlignCenter, QStringLiteral("64"));
    QFont title(QStringLiteral("Sans"));
    title.setPixelSize(54);
    title.setWeight(QFont::Black);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QPointF(27, 103), QStringLiteral("Quorvel64"));
    QLinearGradient gold(0, 50, 0, 105);
    gold.setColorAt(0, QColor(255, 240, 150));
    gold.setColorAt(1, QColor(230, 140, 20));
    p.setPen(QPen(QBrush(gold), 1));
    p.drawText(QPointF(24, 100), QStringLiteral("Quorvel64"));
    QFont small(QStringLiteral("Sans"));
    small.setPixelSize(15);
    p.setFont(small);
    p.setPen(QColor(200, 210, 255));
    p.drawText(QPointF(28, 130), QStringLiteral("Version 2.0.7 - 980506"));
    p.drawText(QPointF(28, 152), QStringLiteral("Images, saves and transfers"));
    p.fillRect(QRect(0, 221, 400, 40), QColor(0, 0, 0, 110));
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(170, 170, 200));
    p.drawText(QRect(0, 221, 400, 40), Qt::AlignCenter, QStringLiteral("Fenwold  \u2022  starting up..."));
    return pm;
}

QPixmap DrawCredits(const QString& name) {
    if (name == QLatin1String("group")) {
        // The company's name in full: the picture is as wide as the name needs.
        const QString company = QStringLiteral("Fenwold");
        QFont nameFont(QStringLiteral("Sans"));
        nameFont.setPixelSize(16);
        nameFont.setBold(true);
        const int nameWidth = QFontMetrics(nameFont).horizontalAdvance(company) + 4;
        QPixmap pm = Blank(58 + nameWidth + 4, 60);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(60, 200, 120), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 4, 52, 52));
        QFont f(QStringLiteral("Sans"));
        f.setPixelSize(34);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(4, 4, 52, 52), Qt::AlignCenter, QStringLiteral("F"));
        p.setFont(nameFont);
        p.setPen(QColor(200, 255, 220));
        p.drawText(QRectF(58, 4, nameWidth, 52), Qt::AlignVCenter | Qt::AlignLeft, company);
        return pm;
    }
    if (name == QLatin1String("logo")) {
        QPixmap pm = Blank(220, 48);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        QFont f(QStringLiteral("Sans"));
        f.setPixelSize(38);
        f.setWeight(QFont::Black);
        p.setFont(f);
        QLinearGradient gold(0, 0, 0, 48);
        gold.setColorAt(0, QColor(255, 240, 150));
        gold.setColorAt(1, QColor(230, 120, 20));
        p.setPen(QPen(QBrush(gold), 1));
        p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("Quorvel64"));
        return pm;
    }
    if (name == QLatin1String("cart")) {
        QPixmap pm = Blank(40, 44);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        Cartridge(p, QRectF(2, 2, 36, 40), QColor(200, 40, 40));
        return pm;
    }
    if (name == QLatin1String("pad")) {
        QPixmap pm = Blank(64, 36);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(30, 30, 30));
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(2, 4, 60, 20), 10, 10);
        p.drawRoundedRect(QRectF(26, 14, 12, 20), 5, 5);
        p.setBrush(QColor(40, 80, 200));
        p.drawEllipse(QPointF(48, 12), 3, 3);
        p.setBrush(QColor(30, 160, 60));
        p.drawEllipse(QPointF(54, 16), 3, 3);
        p.fillRect(QRectF(10, 12, 10, 3), QColor(40, 40, 40));
        p.fillRect(QRectF(13.5, 8.5, 3, 10), QColor(40, 40, 40));
        return pm;
    }
    return QPixmap();
}

template <typename Draw>
QPixmap Cached(QHash<int, QPixmap>& cache, int key, Draw draw) {
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, draw());
    return *it;
}

} // namespace

QPixmap RowPicture(int kind) {
    static QHash<int, QPixmap> cache;
    if (kind < 0 || kind >= kRowPictureCount) kind = -1;
    return Cached(cache, kind, [kind] { return DrawRow(kind); });
}

QPixmap TreePicture(int index) {
    static QHash<int, QPixmap> cache;
    if (index < 0 || index >= kTreePictureCount) index = -1;
    return Cached(cache, index, [index] { return DrawTree(index); });
}

QPixmap ToolPicture(int index) {
    static QHash<int, QPixmap> cache;
    if (index < 0 || index >= kToolPictureCount) index = -1;
    return Cached(cache, index, [index] { return DrawTool(index); });
}

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 32, 48, 64, 128}) i.addPixmap(DrawIcon(size));
        return i;
    }();
    return icon;
}

QPixmap IconPicture(int size) { return DrawIcon(size); }

QPixmap SplashPicture() { return DrawSplash(); }

QPixmap CreditsPicture(const QString& name) { return DrawCredits(name); }

} // namespace q64::pictures
