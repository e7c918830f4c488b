#include "Artwork.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace leafcraft::gui {

namespace {

constexpr int kSize = 48;
const QColor kInk(0x2f, 0x4b, 0x6e);
const QColor kLeaf(0x4c, 0x9a, 0x5b);
const QColor kPaper(0xfb, 0xf8, 0xf0);

void drawBook(QPainter& p, const QRectF& r, qreal lift)
{
    QPainterPath left;
    left.moveTo(r.center().x(), r.top() + 6);
    left.cubicTo(r.left() + r.width() * 0.3, r.top() + 2 - lift, r.left() + 4, r.top() + 6, r.left() + 2, r.top() + 8);
    left.lineTo(r.left() + 2, r.bottom() - 4);
    left.cubicTo(r.left() + 8, r.bottom() - 8, r.left() + r.width() * 0.3, r.bottom() - 8, r.center().x(), r.bottom() - 2);
    left.closeSubpath();
    QPainterPath right = QTransform().translate(r.center().x() * 2, 0).scale(-1, 1).map(left);
    p.setPen(QPen(kInk, 2));
    p.setBrush(kPaper);
    p.drawPath(left);
    p.drawPath(right);
}

QPixmap draw(const QString& name)
{
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(4, 8, kSize - 8, kSize - 14);
    if (name == QLatin1String("import")) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(10, 4, 26, 34), 3, 3);
        p.setPen(QPen(Qt::red, 2));
        p.drawText(QRectF(10, 10, 26, 14), Qt::AlignCenter, QStringLiteral("PDF"));
        p.setPen(QPen(kLeaf, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(30, 30), QPointF(42, 42));
        p.drawLine(QPointF(42, 42), QPointF(42, 34));
        p.drawLine(QPointF(42, 42), QPointF(34, 42));
    } else if (name == QLatin1String("template")) {
        const QColor colours[] = {QColor(0xd9, 0x5d, 0x39), QColor(0xf0, 0xa2, 0x02), kLeaf, kInk};
        for (int i = 0; i < 4; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(colours[i]);
            p.drawRoundedRect(QRectF(6 + (i % 2) * 19, 6 + (i / 2) * 19, 17, 17), 4, 4);
        }
    } else if (name == QLatin1String("publish")) {
        drawBook(p, r, 0);
        p.setPen(QPen(kLeaf, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(24, 40), QPointF(24, 26));
        p.drawLine(QPointF(24, 26), QPointF(18, 32));
        p.drawLine(QPointF(24, 26), QPointF(30, 32));
    } else if (name == QLatin1String("editor")) {
        drawBook(p, r, 0);
        p.setPen(QPen(QColor(0xd9, 0x5d, 0x39), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 38), QPointF(36, 16));
    } else if (name.startsWith(QLatin1String("apply"))) {
        // "apply" is the idle picture; "apply1".."apply3" turn the arrows by a third each.
        const int frame = name.mid(5).toInt();
        p.translate(kSize / 2.0, kSize / 2.0);
        p.rotate(frame * 40);
        const QColor c = frame ? QColor(0xf0, 0x8a, 0x02) : kLeaf;
        p.setPen(QPen(c, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(-16, -16, 32, 32), 30 * 16, 120 * 16);
        p.drawArc(QRectF(-16, -16, 32, 32), 210 * 16, 120 * 16);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        QPolygonF head({QPointF(-20, -6), QPointF(-8, -6), QPointF(-14, 2)});
        p.drawPolygon(head);
        p.drawPolygon(QTransform().rotate(180).map(head));
    } else if (name == QLatin1String("export") || name == QLatin1String("importSettings")) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(kPaper);
        p.drawRect(QRectF(8, 6, 24, 32));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(12, 14 + i * 6), QPointF(28, 14 + i * 6));
        p.setPen(QPen(kLeaf, 4, Qt::SolidLine, Qt::RoundCap));
        const bool out = name == QLatin1String("export");
        p.drawLine(QPointF(30, 36), QPointF(44, 36));
        p.drawLine(out ? QPointF(44, 36) : QPointF(30, 36), out ? QPointF(38, 30) : QPointF(36, 30));
        p.drawLine(out ? QPointF(44, 36) : QPointF(30, 36), out ? QPointF(38, 42) : QPointF(36, 42));
    } else if (name == QLatin1String("help") || name == QLatin1String("about")) {
        p.setPen(QPen(kInk, 3));
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(6, 6, 36, 36));
        QFont f = p.font();
        f.setPixelSize(24);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(6, 6, 36, 36), Qt::AlignCenter, name == QLatin1String("help") ? QStringLiteral("?") : QStringLiteral("i"));
    } else if (name == QLatin1String("app")) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(1, 1, kSize - 2, kSize - 2), 10, 10);
        drawBook(p, QRectF(6, 10, kSize - 12, kSize - 18), 2);
        p.setBrush(kLeaf);
        QPainterPath leaf;
        leaf.moveTo(24, 16);
        leaf.cubicTo(34, 18, 36, 28, 26, 36);
        leaf.cubicTo(22, 28, 20, 22, 24, 16);
        p.drawPath(leaf);
    } else {
        return QPixmap();
    }
    return pm;
}

} // namespace

QIcon namedIcon(const QString& name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.find(name);
    if (it == cache.end()) {
        QPixmap pm = draw(name);
        it = cache.insert(name, pm.isNull() ? QIcon() : QIcon(pm));
    }
    return *it;
}

QPixmap appPixmap(int size)
{
    return draw(QStringLiteral("app")).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace leafcraft::gui
