#include "ui/QuorvelView.h"

#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "core/Strings.h"
#include "events/DisplayObj.h"
#include "ui/LoMetric.h"
#include "ui/UiLogging.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPaintEngine>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>

#include <memory>
#include <utility>

namespace {

// Records keep colours as 0x00BBGGRR, red in the low byte.
QColor FromColorRef(quint32 cr)
{
    return QColor(int(cr & 0xFF), int((cr >> 8) & 0xFF), int((cr >> 16) & 0xFF));
}

// One beat for every view: views of busy channels follow their lists together, in one pass.
QTimer& SharedBeat()
{
    static QPointer<QTimer> beat;
    if (!beat) {
        beat = new QTimer(QCoreApplication::instance());
        beat->setInterval(CQuorvelView::kBeatMs);
        beat->start();
    }
    return *beat;
}

} // namespace

CQuorvelView::CQuorvelView(CQuorvelDoc* document, ChannelNameSource channelNames, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_pDocument(document)
    , m_pfnChannelNames(std::move(channelNames))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [bar](int action) {
            // A page click moves half a window, like the page size halving of the scroll codes.
            if (action == QAbstractSlider::SliderPageStepAdd)
                bar->setSliderPosition(bar->value() + bar->pageStep() / 2);
            else if (action == QAbstractSlider::SliderPageStepSub)
                bar->setSliderPosition(bar->value() - bar->pageStep() / 2);
        });
    horizontalScrollBar()->setRange(0, kColumns);
    connect(&SharedBeat(), &QTimer::timeout, this, &CQuorvelView::OnBeat);
    if (m_pDocument) {
        m_pDocument->SetView(this);
        m_nAlertsSeen = m_pDocument->LiveAlerts();
        m_nFaultsSeen = m_pDocument->LiveFaults();
    }
}

CQuorvelView::~CQuorvelView()
{
    if (m_pDocument && m_pDocument->GetView() == this)
        m_pDocument->SetView(nullptr);
}

bool CQuorvelView::OffViewThread() const
{
    return QThread::currentThread() != thread();
}

void CQuorvelView::OnBeat()
{
    if (m_bListReset.exchange(false)) {
        ResetDisplay();
        UpdateScrollRange();
        viewport()->update();
    }
    if (m_bListChanged.exchange(false)) {
        // A busy channel's bar is set again only when its thumb would move: drawing the bars
        // anew on every beat of sixteen windows costs more than their lines.
        m_nFirstLine = NewestFirstLine();
        if (ThumbMoves(m_nFirstLine))
            UpdateScrollRange();
        else
            m_bScrollBarBehind = true;
        viewport()->update();
    } else if (std::exchange(m_bScrollBarBehind, false)) {
        UpdateScrollRange();  // the list is still: the bar catches up
    }
    TellAlerts();
}

void CQuorvelView::TellAlerts()
{
    if (!m_pDocument)
        return;
    const int alerts = m_pDocument->LiveAlerts();
    if (alerts == m_nAlertsSeen)
        return;
    const int faults = m_pDocument->LiveFaults();
    const int count = alerts - std::exchange(m_nAlertsSeen, alerts);
    const bool fault = faults != std::exchange(m_nFaultsSeen, faults);
    // The newest fault or alarm line; the count was taken after it was listed.
    const std::shared_ptr<const EventList> events = m_pDocument->Events();
    QString last;
    for (int i = events->Count() - 1, looked = 0; i >= 0 && looked < kAlertLookBack; --i, ++looked) {
        const ListedEvent record = events->At(i);
        if (record.IsFault() || record.GetKind() == CDisplayObj::KIND_ALARM) {
            last = record.GetDisplayText();
            break;
        }
    }
    emit alertLines(count, fault, last);
}

bool CQuorvelView::ThumbMoves(int newest) const
{
    const QScrollBar* v = verticalScrollBar();
    QStyleOptionSlider option;
    option.initFrom(v);
    option.orientation = v->orientation();
    option.minimum = v->minimum();
    option.maximum = v->maximum();
    option.sliderPosition = option.sliderValue = v->value();
    option.singleStep = v->singleStep();
    option.pageStep = v->pageStep();
    const QRect now = v->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, v);
    option.maximum = newest;
    option.sliderPosition = option.sliderValue = newest;
    return v->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, v) != now;
}

void CQuorvelView::ScrollBy(int columns, int lines)
{
    if (OffViewThread()) {
        m_bListChanged = true;
        return;
    }
    const QScrollBar* h = horizontalScrollBar();
    const QScrollBar* v = verticalScrollBar();
    m_nFirstColumn = qBound(h->minimum(), h->value() + columns, h->maximum());
    m_nFirstLine = qBound(v->minimum(), v->value() + lines, v->maximum());
}

int CQuorvelView::NewestFirstLine() const
{
    const int count = m_pDocument ? m_pDocument->GetEventCount() : 0;
    return m_nVisibleLines >= count ? 0 : count - m_nVisibleLines;
}

void CQuorvelView::UpdateScrollRange()
{
    if (OffViewThread()) {
        m_bListChanged = true;
        return;
    }
    m_bScrollRangePending = false;
    m_nFirstLine = NewestFirstLine();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, m_nFirstLine);
    horizontalScrollBar()->setRange(0, kColumns);
    const QSignalBlocker noScroll(v);  // the position is m_nFirstLine already
    v->setValue(m_nFirstLine);
}

void CQuorvelView::ResetDisplay()
{
    if (OffViewThread()) {
        m_bListReset = true;
        return;
    }
    m_nLineHeight = 0;
    m_nFirstLine = 0;
    m_nFirstColumn = 0;
    m_bFlash = 0;
    m_nFaultsFrom = 0;
}

void CQuorvelView::UpdateAllViews()
{
    if (OffViewThread()) {
        m_bListChanged = true;
        return;
    }
    // Runs for every record listed, thousands a second under load: the view moves to the newest
    // lines at once, while the scroll bars and the paint follow once per pass of the event loop.
    m_nFirstLine = NewestFirstLine();
    if (!m_bScrollRangePending) {
        m_bScrollRangePending = true;
        QMetaObject::invokeMethod(this, [this] {
            if (m_bScrollRangePending)
                UpdateScrollRange();
        }, Qt::QueuedConnection);
    }
    // New lines are drawn at most kMinPaintIntervalMs apart; a burst costs one paint, not one per line.
    const qint64 since = m_lastPaint.isValid() ? m_lastPaint.elapsed() : kMinPaintIntervalMs;
    if (since >= kMinPaintIntervalMs)
        viewport()->update();
    else if (!m_paintTimer.isActive())
        m_paintTimer.start(int(kMinPaintIntervalMs - since), this);
}

void CQuorvelView::ShowConnection(int port, bool)
{
    // The document's flag says whether the line is shown; the port gives its number.
    m_nPort = port;
    viewport()->update();
}

int CQuorvelView::GetLineHeight(const QPaintDevice& device) const
{
    const int height = QFontMetrics(font(), &device).lineSpacing();
    if (height > 0)
        return height;
    qCWarning(lcUi) << "Invalid TextMetric";
    return -1;
}

void CQuorvelView::paintEvent(QPaintEvent* event)
{
    m_lastPaint.start();
    m_paintTimer.stop();
    QPainter painter(viewport());
    OnDraw(painter, event->rect());
}

void CQuorvelView::OnDraw(QPainter& painter, const QRect& exposed)
{
    if (!m_pDocument)
        return;
    const LoMetric map(*painter.device());
    const QFontMetrics metrics(painter.font(), painter.device());
    const int textHeight = metrics.height();
    const int ascent = metrics.ascent();
    const int wasFlash = m_bFlash;
    auto rowTop = [&](int row) { return map.ToDevice(0, -row * m_nLineHeight).y(); };
    auto exposes = [&](int top) { return top < exposed.bottom() + 1 && top + textHeight > exposed.top(); };

    // A channel without its line says so on the first row; the event lines follow below it.
    // An archive window has no line: it shows the line of port 0.
    int row = 0;
    if (!m_pDocument->IsPortConnected()) {
        m_nLineHeight = map.ToLogicalY(textHeight);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(map.ToDevice(0, 0) + QPoint(0, ascent),
                         QString::fromLatin1(Str::kPortNotConnected).arg(m_pDocument->GetChannel() > 0 ? m_nPort : 0));
        row = 1;
    }

    // Pixels take pictures of words; a device that keeps text (a recording, a document) is given
    // the text, which pictures do not carry.
    const bool pictures = painter.paintEngine()->type() == QPaintEngine::Raster;
    const std::shared_ptr<const EventList> events = m_pDocument->Events();
    const int count = events->Count();
    for (int i = m_nFirstLine, j = 0; i < count && j < m_nVisibleLines; ++i, ++j, ++row) {
        const ListedEvent record = events->At(i);
        m_nLineHeight = map.ToLogicalY(textHeight);
        const int top = rowTop(row);
        if (exposes(top)) {
            const QColor colour = FromColorRef(record.GetTextColor());
            const QString text = record.GetDisplayText().mid(m_nFirstColumn);
            if (!pictures || !m_words->DrawLine(painter, QPoint(0, top), text, colour)) {
                painter.setPen(colour);
                painter.drawText(QPoint(0, top + ascent), text);
            }
        }
        if (record.IsFault() && i >= m_nFaultsFrom)
            m_bFlash = 1;
    }
    if (!wasFlash && m_bFlash)
        StartFlash();
}

void CQuorvelView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    OnSize();
}

void CQuorvelView::OnSize()
{
    const int lineHeight = GetLineHeight(*viewport());
    m_nVisibleLines = lineHeight > 0 ? qMax(0, viewport()->height() / lineHeight - 1) : 0;
    verticalScrollBar()->setPageStep(qMax(1, m_nVisibleLines));
    horizontalScrollBar()->setPageStep(qMax(1, viewport()->width() / qMax(1, fontMetrics().averageCharWidth())));
    // A window made taller shows more of the newest lines at once, not an empty lower part.
    UpdateScrollRange();
}

void CQuorvelView::scrollContentsBy(int, int)
{
    m_nFirstLine = verticalScrollBar()->value();
    m_nFirstColumn = horizontalScrollBar()->value();
    viewport()->update();
}

void CQuorvelView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    const int channel = m_pDocument ? m_pDocument->GetChannel() : 0;
    QString name;
    if (channel > 0 && m_pfnChannelNames && m_pfnChannelNames(channel - 1, name)) {
        m_pDocument->SetTitle(name);
        emit documentTitleChanged();
    }
    StopFlash();
    UpdateScrollRange();
    viewport()->update();
}

void CQuorvelView::keyPressEvent(QKeyEvent* event)
{
    // Home and End, with or without Ctrl, go to the oldest and to the newest lines.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier;
    if (plain && (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
        QScrollBar* bar = verticalScrollBar();
        if (event->key() == Qt::Key_Home) {
            horizontalScrollBar()->setValue(0);
            bar->setValue(bar->minimum());
        } else {
            bar->setValue(bar->maximum());
        }
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CQuorvelView::mousePressEvent(QMouseEvent* event)
{
    StopFlash();
    QAbstractScrollArea::mousePressEvent(event);
}

void CQuorvelView::StartFlash()
{
    m_flashTimer.start(kFlashPeriodMs, this);
}

void CQuorvelView::StopFlash()
{
    m_flashTimer.stop();
    m_bFlash = 0;
    m_nFaultsFrom = m_pDocument ? m_pDocument->GetEventCount() : 0;
    if (m_bFlashHighlighted) {
        m_bFlashHighlighted = false;
        emit flashToggled(false);
    }
}

void CQuorvelView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_paintTimer.timerId()) {
        m_paintTimer.stop();
        viewport()->update();
        return;
    }
    if (event->timerId() != m_flashTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_bFlashHighlighted = !m_bFlashHighlighted;
    emit flashToggled(m_bFlashHighlighted);
}

void CQuorvelView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const QAction* properties = menu.addAction(QString::fromLatin1(Str::kItemChannelProperties));
    if (menu.exec(event->globalPos()) == properties)
        emit propertiesRequested();
}
