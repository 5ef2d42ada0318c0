#include "RingIcon.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

struct Arc
{
    int nStartDegrees;
    int nSpanDegrees;
    QColor color;
};

void drawRing(QPainter& painter, const QRectF& outer, qreal rThickness)
{
    const Arc arcs[] = {
        { 90, 150, QColor(220, 30, 30) },   // red
        { 240, 80, QColor(250, 215, 30) },  // yellow
        { 320, 130, QColor(40, 170, 60) },  // green
    };
    const QRectF inner = outer.adjusted(rThickness, rThickness, -rThickness, -rThickness);
    QPen outline(Qt::black);
    outline.setWidthF(outer.width() >= 20 ? 1.0 : 0.8);
    painter.setPen(outline);
    for (const Arc& arc : arcs) {
        QPainterPath segment;
        segment.arcMoveTo(outer, arc.nStartDegrees);
        segment.arcTo(outer, arc.nStartDegrees, arc.nSpanDegrees);
        segment.arcTo(inner, arc.nStartDegrees + arc.nSpanDegrees, -arc.nSpanDegrees);
        segment.closeSubpath();
        painter.setBrush(arc.color);
        painter.drawPath(segment);
    }
}

} // namespace

QPixmap RingIconPixmap(int nSize)
{
    QPixmap pixmap(nSize, nSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal rSize = nSize;
    if (nSize < 32) {
        drawRing(painter, QRectF(0.5, 0.5, rSize - 1, rSize - 1), rSize * 0.3);
        return pixmap;
    }
    // Leave the lower quarter for the name.
    const qreal rRing = rSize * 0.72;
    drawRing(painter, QRectF((rSize - rRing) / 2, 0.5, rRing, rRing), rRing * 0.3);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(6, nSize * 7 / 32));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(QRectF(0, rRing, rSize, rSize - rRing), Qt::AlignCenter, QStringLiteral("Pindrel"));
    return pixmap;
}

QIcon RingIcon()
{
    QIcon icon;
    icon.addPixmap(RingIconPixmap(16));
    icon.addPixmap(RingIconPixmap(32));
    icon.addPixmap(RingIconPixmap(64));
    return icon;
}
