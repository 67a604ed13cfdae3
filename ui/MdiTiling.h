#pragma once
#include <QList>
#include <QRect>

class QWidget;

// Where tiling puts n windows in an area: columns of equal width, filled top to bottom, the last
// column taking what is left over. Qt::Vertical makes tall windows (more columns than rows),
// Qt::Horizontal wide ones.
QList<QRect> TileRects(const QRect& area, int count, Qt::Orientation orientation);

// Where minimised windows go: left to right along the bottom of the area, row above row.
QList<QRect> IconRects(const QRect& area, const QList<QWidget*>& icons);
