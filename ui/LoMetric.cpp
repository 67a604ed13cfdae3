#include "ui/LoMetric.h"

#include <QPaintDevice>

#include <cmath>

CLoMetric::CLoMetric(const QPaintDevice& device)
    : CLoMetric(device.logicalDpiX(), device.logicalDpiY())
{
}

CLoMetric::CLoMetric(double dpiX, double dpiY)
    : m_pixelsPerUnitX(dpiX / kUnitsPerInch)
    , m_pixelsPerUnitY(dpiY / kUnitsPerInch)
{
}

QPoint CLoMetric::ToDevice(int x, int y) const
{
    return {int(std::lround(x * m_pixelsPerUnitX)), int(std::lround(-y * m_pixelsPerUnitY))};
}

int CLoMetric::ToLogicalX(int pixels) const
{
    return int(std::lround(pixels / m_pixelsPerUnitX));
}

int CLoMetric::ToLogicalY(int pixels) const
{
    return int(std::lround(pixels / m_pixelsPerUnitY));
}
