#include "ui/LoMetric.h"

#include <QPaintDevice>

#include <cmath>

LoMetric::LoMetric(const QPaintDevice& device)
    : LoMetric(device.logicalDpiX(), device.logicalDpiY())
{
}

LoMetric::LoMetric(double dpiX, double dpiY)
    : m_pixelsPerUnitX(dpiX / kUnitsPerInch)
    , m_pixelsPerUnitY(dpiY / kUnitsPerInch)
{
}

QPoint LoMetric::ToDevice(int x, int y) const
{
    return {int(std::lround(x * m_pixelsPerUnitX)), int(std::lround(-y * m_pixelsPerUnitY))};
}

int LoMetric::ToLogicalX(int pixels) const
{
    return int(std::lround(pixels / m_pixelsPerUnitX));
}

int LoMetric::ToLogicalY(int pixels) const
{
    return int(std::lround(pixels / m_pixelsPerUnitY));
}
