#pragma once
#include "archive/QuorvelDoc.h"

#include <QPointer>
#include <QRect>

class QPainter;

// Lays out and draws the printed pages of a document's event list: on every page a header (the
// title "Event Log: ..." and the date, over a rule), the event lines, and a footer (the maker and
// "Page n of m", under a rule). Positions are in 0.1 mm with y growing upwards from the top-left
// corner of the printable area, as in the window. The pages show the list as it stood when printing
// began: lines that arrive meanwhile, or a new day's list, change nothing of them.
class PagePrinter
{
public:
    static constexpr int kMargin = 80;  // 8 mm in from the left, top and right of the printable area

    explicit PagePrinter(CQuorvelDoc* document);

    // Measures the printer's font on a painter begun on the printer, before the first page: the
    // event lines a page holds, their left edge and the last page number.
    void OnBeginPrinting(QPainter& painter);
    int GetMaxPage() const { return m_nMaxPage; }
    int GetLinesPerPage() const { return m_nLinesPerPage; }
    // Draws page `page` (1 for the first) on the painter's current page.
    void OnPrint(QPainter& painter, int page);
    // Whether the document is still there to print.
    bool HasDocument() const { return !m_pDocument.isNull(); }

private:
    void PrintPageHeader(QPainter& painter);
    void PrintPageFooter(QPainter& painter, int page);
    void DrawEventLines(QPainter& painter);

    QPointer<CQuorvelDoc> m_pDocument;
    std::shared_ptr<const EventList> m_pEvents;  // the list as printing began
    int m_nEventCount = 0;
    QRect m_rectDraw;          // the printable area in 0.1 mm: top-left (0, 0), bottom negative
    int m_nLineHeight = 0;
    int m_nPrintPage = 0;      // zero-based
    int m_nLinesPerPage = 0;
    int m_nPrintLeft = 0;
    int m_nPrintTop = 0;
    int m_nMaxPage = 1;
};
