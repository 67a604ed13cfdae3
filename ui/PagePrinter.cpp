#include "ui/PagePrinter.h"

#include "core/Clock.h"
#include "core/Strings.h"
#include "events/DisplayObj.h"
#include "ui/LoMetric.h"
#include "ui/UiLogging.h"

#include <QLocale>
#include <QPainter>

namespace {

// Text with its top-left corner at (x, y) in 0.1 mm.
void DrawText(QPainter& painter, const LoMetric& map, int x, int y, const QString& text)
{
    painter.drawText(map.ToDevice(x, y) + QPoint(0, painter.fontMetrics().ascent()), text);
}

int ExtentWidth(QPainter& painter, const LoMetric& map, const QString& text)
{
    return map.ToLogicalX(painter.fontMetrics().horizontalAdvance(text));
}

int ExtentHeight(QPainter& painter, const LoMetric& map)
{
    return map.ToLogicalY(painter.fontMetrics().height());
}

} // namespace

PagePrinter::PagePrinter(CQuorvelDoc* document)
    : m_pDocument(document)
{
}

void PagePrinter::OnBeginPrinting(QPainter& painter)
{
    const QPaintDevice& device = *painter.device();
    const LoMetric map(device);
    m_rectDraw = QRect(QPoint(0, 0), QPoint(map.ToLogicalX(device.width()), -map.ToLogicalY(device.height())));
    // The event lines fill the page between the header's rule and the footer's, a quarter line
    // clear of each: a page as high as the font's line spacing times (lines + 2), as the printer
    // counts it, leaves the last lines under the footer and off the paper.
    const int h = ExtentHeight(painter, map);
    const int linesTop = m_rectDraw.top() - kMargin - h - h / 4 - h / 4;
    const int linesBottom = m_rectDraw.bottom() + h + h / 4 + h / 4;
    if (h <= 0)
        qCWarning(lcUi) << "Invalid TextMetric";
    // A page too short for header, footer and a line still carries one line: the page count
    // never divides by zero and every line is printed.
    m_nLinesPerPage = h > 0 ? qMax(1, (linesTop - linesBottom) / h) : 1;
    // The lines' left edge: the width of "Wj" in the printer's pixels, taken as 0.1 mm.
    m_nPrintLeft = painter.fontMetrics().horizontalAdvance(QStringLiteral("Wj"));
    m_pEvents = m_pDocument ? m_pDocument->Events() : nullptr;
    m_nEventCount = m_pEvents ? m_pEvents->Count() : 0;
    m_nMaxPage = m_nEventCount / m_nLinesPerPage + 1;
}

void PagePrinter::OnPrint(QPainter& painter, int page)
{
    PrintPageHeader(painter);
    m_nPrintPage = page - 1;
    DrawEventLines(painter);
    PrintPageFooter(painter, page);
}

void PagePrinter::PrintPageHeader(QPainter& painter)
{
    const LoMetric map(*painter.device());
    const QString title = QString::fromLatin1(Str::kPageTitle).arg(m_pDocument ? m_pDocument->GetTitle() : QString());
    const QString stamp = QLocale::c().toString(Clock::Now(), QLatin1String(Str::kPageDateFormat));
    const int left = m_rectDraw.left() + kMargin;
    const int top = m_rectDraw.top() - kMargin;
    const int right = m_rectDraw.right() - kMargin;
    const int h = ExtentHeight(painter, map);
    DrawText(painter, map, left, top, title);
    DrawText(painter, map, right - ExtentWidth(painter, map, stamp), top, stamp);
    const int y = top - h / 4 - h;
    painter.drawLine(map.ToDevice(left, y), map.ToDevice(right, y));
    m_nPrintTop = y - h / 4;
}

void PagePrinter::DrawEventLines(QPainter& painter)
{
    if (!m_pEvents)
        return;
    const LoMetric map(*painter.device());
    for (int i = m_nPrintPage * m_nLinesPerPage, j = 0; i < m_nEventCount && j < m_nLinesPerPage; ++i, ++j) {
        m_nLineHeight = ExtentHeight(painter, map);
        DrawText(painter, map, m_nPrintLeft, m_nPrintTop - j * m_nLineHeight, m_pEvents->At(i).GetDisplayText());
    }
}

void PagePrinter::PrintPageFooter(QPainter& painter, int page)
{
    const LoMetric map(*painter.device());
    const QString maker = QString::fromLatin1(Str::kPageMaker);
    const QString number = QString::fromLatin1(Str::kPageNumber).arg(page).arg(m_nMaxPage);
    const int left = m_rectDraw.left() + kMargin;
    const int right = m_rectDraw.right() - kMargin;
    const int h = ExtentHeight(painter, map);
    const int y = m_rectDraw.bottom() + h;
    DrawText(painter, map, left, y, maker);
    DrawText(painter, map, right - ExtentWidth(painter, map, number), y, number);
    painter.drawLine(map.ToDevice(left, y + h / 4), map.ToDevice(right, y + h / 4));
}
