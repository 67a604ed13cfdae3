#pragma once
#include "archive/IDocView.h"
#include "archive/QuorvelDoc.h"
#include "ui/ChannelNameSource.h"
#include "ui/WordImages.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPointer>

#include <atomic>
#include <memory>

class QPainter;

// The view of a channel or archive window: the document's event list as lines of text, oldest at
// the top, each in its record's colour, kept scrolled to the newest. Only the lines in the window
// are drawn, so the cost of a paint depends on the window's height, not on the list's length.
// A fault line drawn makes the window flash until the user turns to it.
//
// A live channel's document records on the logging thread and tells its view from there: the view
// then only notes that its list changed, and follows it on the windows' shared beat (about 25 times
// a second), so a burst of records costs one scroll-range change and one paint a beat.
class CQuorvelView : public QAbstractScrollArea, public IDocView
{
    Q_OBJECT
public:
    static constexpr int kColumns = 120;        // horizontal scroll range, in characters
    static constexpr int kFlashPeriodMs = 500;
    static constexpr int kMinPaintIntervalMs = 40;  // new lines are drawn up to 25 times a second
    static constexpr int kBeatMs = 40;
    static constexpr int kAlertLookBack = 256;  // lines searched back for the newest alert's text

    CQuorvelView(CQuorvelDoc* document, ChannelNameSource channelNames, QWidget* parent = nullptr);
    ~CQuorvelView() override;

    CQuorvelDoc* GetDocument() const { return m_pDocument; }

    // What the document asks of its view. From another thread than the view's, each only notes
    // what changed for the next beat.
    void ScrollBy(int columns, int lines) override;
    void UpdateScrollRange() override;
    void ResetDisplay() override;
    void UpdateAllViews() override;  // jump to the newest lines; bars and paint follow (coalesced)

    // The state of the channel's line (the document holds the flag); shows or clears the
    // not-connected line with the channel's COM number.
    void ShowConnection(int port, bool connected);

    int FirstLine() const { return m_nFirstLine; }
    int FirstColumn() const { return m_nFirstColumn; }
    int VisibleLines() const { return m_nVisibleLines; }
    bool IsFlashing() const { return m_flashTimer.isActive(); }

    // Font height plus leading on the device, in its pixels; -1 when the font has no height.
    int GetLineHeight(const QPaintDevice& device) const;

signals:
    void flashToggled(bool highlighted);
    // Fault or alarm lines came in on the channel since the last beat: how many, whether any was a
    // fault, and the newest of them.
    void alertLines(int count, bool fault, const QString& last);
    void documentTitleChanged();
    // "Properites" was chosen from the view's context menu.
    void propertiesRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int NewestFirstLine() const;
    bool OffViewThread() const;
    void OnBeat();
    void TellAlerts();
    // Whether the scroll bar's thumb would look different at the newest lines.
    bool ThumbMoves(int newest) const;
    void OnDraw(QPainter& painter, const QRect& exposed);
    void OnSize();
    void OnScrollAction(int action);
    void StartFlash();
    void StopFlash();

    QPointer<CQuorvelDoc> m_pDocument;
    ChannelNameSource m_pfnChannelNames;
    int m_nLineHeight = 0;     // of the line last drawn, in 0.1 mm
    int m_nVisibleLines = 0;
    int m_nFirstLine = 0;
    int m_nFirstColumn = 0;
    std::shared_ptr<WordImages> m_words = WordImages::Shared();
    int m_bFlash = 0;          // a fault line was drawn since the flash was last stopped or reset
    int m_nPort = 0;           // the channel's COM number, from ShowConnection
    int m_nFaultsFrom = 0;     // fault lines before this index were seen by the user
    bool m_bFlashHighlighted = false;
    bool m_bScrollRangePending = false;  // the scroll bars follow the list at the next pass
    QBasicTimer m_flashTimer;
    QBasicTimer m_paintTimer;  // a paint for new lines, held back until kMinPaintIntervalMs have passed
    QElapsedTimer m_lastPaint;
    std::atomic<bool> m_bListChanged{false};  // set by the document's thread, taken on the beat
    std::atomic<bool> m_bListReset{false};
    bool m_bScrollBarBehind = false;
    int m_nAlertsSeen = 0;  // the document's live alert and fault counts last told
    int m_nFaultsSeen = 0;  // the bar's range lags the list by less than a thumb's move
};
