#include "ui/MdiTiling.h"

#include <QWidget>

#include <cmath>

QList<QRect> TileRects(const QRect& area, int count, Qt::Orientation orientation)
{
    QList<QRect> rects;
    if (count <= 0)
        return rects;
    int rows = int(std::sqrt(double(count)));
    int columns = count / rows;
    if (orientation == Qt::Horizontal)
        std::swap(rows, columns);
    const int width = area.width() / columns;
    for (int c = 0, placed = 0; c < columns; ++c) {
        const int inColumn = c == columns - 1 ? count - placed : rows;
        const int height = area.height() / inColumn;
        for (int r = 0; r < inColumn; ++r, ++placed)
            rects.append(QRect(area.left() + c * width, area.top() + r * height, width, height));
    }
    return rects;
}

QList<QRect> IconRects(const QRect& area, const QList<QWidget*>& icons)
{
    QList<QRect> rects;
    int x = area.left();
    int bottom = area.bottom() + 1;
    int rowHeight = 0;
    for (const QWidget* icon : icons) {
        const QSize size = icon->size();
        if (x > area.left() && x + size.width() > area.right() + 1) {
            x = area.left();
            bottom -= rowHeight;
            rowHeight = 0;
        }
        rects.append(QRect(QPoint(x, bottom - size.height()), size));
        x += size.width();
        rowHeight = qMax(rowHeight, size.height());
    }
    return rects;
}
