#pragma once
#include <QPoint>

class QPaintDevice;

// The drawing space of the channel view, the printed page and the preview: one logical unit is
// 0.1 mm, x grows to the right and y upwards from the top-left corner, so lines run down at
// negative y. Text stays upright: only positions and sizes are mapped, by the device's resolution.
class LoMetric
{
public:
    static constexpr double kUnitsPerInch = 254.0;

    explicit LoMetric(const QPaintDevice& device);
    LoMetric(double dpiX, double dpiY);

    QPoint ToDevice(int x, int y) const;
    // A length in device pixels, in 0.1 mm, rounded to the nearest unit.
    int ToLogicalX(int pixels) const;
    int ToLogicalY(int pixels) const;

private:
    double m_pixelsPerUnitX;
    double m_pixelsPerUnitY;
};
