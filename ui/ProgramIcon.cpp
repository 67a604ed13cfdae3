#include "ui/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// The picture of packaging/quorvel.svg, on its 64-unit grid.
QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x3a, 0x4a));
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 8, 8);
    QPainterPath lamp;
    lamp.moveTo(20, 30);
    lamp.arcTo(QRectF(20, 18, 24, 24), 180, -180);
    lamp.lineTo(44, 34);
    lamp.lineTo(20, 34);
    lamp.closeSubpath();
    painter.setBrush(QColor(0xe5, 0x39, 0x35));
    painter.drawPath(lamp);
    painter.setBrush(QColor(0xcf, 0xd8, 0xdc));
    painter.drawRoundedRect(QRectF(16, 34, 32, 4), 1, 1);
    painter.setPen(QPen(QColor(0xff, 0xca, 0x28), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(32, 10), QPointF(32, 15));
    painter.drawLine(QPointF(18, 16), QPointF(21, 19));
    painter.drawLine(QPointF(46, 16), QPointF(43, 19));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x90, 0xa4, 0xae));
    painter.drawRoundedRect(QRectF(12, 43, 40, 3), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(12, 49, 30, 3), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(12, 55, 36, 2), 1, 1);
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon drawn;
    for (int size : {16, 24, 32, 48, 64})
        drawn.addPixmap(DrawIcon(size));
    return QIcon::fromTheme(QStringLiteral("quorvel"), drawn);
}
