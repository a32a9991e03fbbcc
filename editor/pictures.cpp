#include "editor/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A receipt slip with a torn lower edge, a title bar, text lines and a stamp.
void drawSlip(QPainter &p, const QRectF &r, bool withText)
{
    const qreal tooth = r.width() / 12;
    QPainterPath slip;
    slip.moveTo(r.topLeft());
    slip.lineTo(r.topRight());
    slip.lineTo(r.right(), r.bottom() - tooth / 2);
    for (int i = 12; i > 0; --i) {
        const qreal x = r.left() + i * tooth;
        slip.lineTo(x - tooth / 2, (i % 2) ? r.bottom() : r.bottom() - tooth / 2);
    }
    slip.lineTo(r.left(), r.bottom() - tooth / 2);
    slip.closeSubpath();

    p.setPen(QPen(QColor(90, 90, 90), qMax<qreal>(1.0, r.width() / 90)));
    p.setBrush(QColor(255, 252, 235));
    p.drawPath(slip);

    const qreal m = r.width() * 0.1;
    const QRectF head(r.left() + m, r.top() + m, r.width() - 2 * m, r.height() * 0.12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 0, 0));
    p.drawRect(head);
    if (withText) {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setBold(true);
        f.setPixelSize(int(head.height() * 0.7));
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(head, Qt::AlignCenter, QStringLiteral("QUITTUNG"));
    }
    p.setPen(QPen(QColor(0, 0, 128), qMax<qreal>(1.0, r.width() / 100)));
    const qreal top = head.bottom() + r.height() * 0.08;
    const qreal step = r.height() * 0.09;
    for (int i = 0; i < 5; ++i) {
        const qreal y = top + i * step;
        const qreal end = i == 4 ? r.left() + r.width() * 0.5 : r.right() - m;
        p.drawLine(QPointF(r.left() + m, y), QPointF(end, y));
    }
    // The stamp.
    const QPointF c(r.right() - r.width() * 0.3, r.bottom() - r.height() * 0.2);
    const qreal rad = r.width() * 0.16;
    p.setPen(QPen(QColor(192, 0, 0, 200), qMax<qreal>(1.0, r.width() / 40)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rad, rad);
    p.drawEllipse(c, rad * 0.6, rad * 0.6);
}

void drawPen(QPainter &p, QPointF tip, qreal length, qreal angleDegrees)
{
    p.save();
    p.translate(tip);
    p.rotate(angleDegrees);
    const qreal w = length / 9;
    QPainterPath body;
    body.moveTo(0, 0);
    body.lineTo(w * 0.9, -w / 2);
    body.lineTo(length, -w / 2);
    body.lineTo(length, w / 2);
    body.lineTo(w * 0.9, w / 2);
    body.closeSubpath();
    QLinearGradient g(0, -w / 2, 0, w / 2);
    g.setColorAt(0, QColor(40, 60, 150));
    g.setColorAt(1, QColor(10, 20, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(body);
    p.setBrush(QColor(210, 180, 60));
    p.drawRect(QRectF(w * 0.9, -w / 2, w * 0.5, w));
    p.restore();
}

} // namespace

namespace pictures {

QPixmap splashPicture()
{
    QPixmap pm(222, 280);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawSlip(p, QRectF(30, 20, 162, 190), true);
    drawPen(p, QPointF(150, 175), 95, -35);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setBold(true);
    f.setPixelSize(30);
    p.setFont(f);
    p.setPen(QColor(128, 0, 0));
    p.drawText(QRectF(0, 212, 222, 36), Qt::AlignCenter, QStringLiteral("Zettelfix"));
    f.setBold(false);
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRectF(0, 248, 222, 24), Qt::AlignCenter, QStringLiteral("Quittungen leicht gemacht"));
    return pm;
}

QPixmap aboutPicture()
{
    QPixmap pm(204, 283);
    pm.fill(QColor(192, 192, 192));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A small stack of slips.
    p.save();
    p.translate(102, 140);
    p.rotate(-8);
    drawSlip(p, QRectF(-70, -100, 140, 170), false);
    p.restore();
    p.save();
    p.translate(102, 130);
    p.rotate(5);
    drawSlip(p, QRectF(-70, -100, 140, 170), true);
    p.restore();
    drawPen(p, QPointF(120, 200), 90, -50);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setBold(true);
    f.setPixelSize(18);
    p.setFont(f);
    p.setPen(QColor(128, 0, 0));
    p.drawText(QRectF(0, 245, 204, 30), Qt::AlignCenter, QStringLiteral("Zettelfix " ZETTELFIX_VERSION));
    return pm;
}

QPixmap smallPicture()
{
    return programIcon(32);
}

QPixmap programIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    drawSlip(p, QRectF(size * 0.15, size * 0.06, size * 0.7, size * 0.88), false);
    return pm;
}

} // namespace pictures
