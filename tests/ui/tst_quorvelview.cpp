#include "archive/QuorvelDoc.h"
#include "core/Labels.h"
#include "events/DisplayObj.h"
#include "tests/ui/ChannelWindows.h"
#include "tests/ui/TextRecorder.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestQuorvelView : public QObject
{
    Q_OBJECT
private slots:
    void drawsEachLineInItsColour();
    void notConnectedLineAndItsClearing();
    void scrolling_data();
    void scrolling();
    void tallerWindowShowsMoreOfTheNewest();
    void flashStartedByFaultStoppedByFocus();
    void keyboardBackToTheActiveViewAfterABox();
    void contextMenuOffersProperties();
};

namespace {

// Pixels of exactly this colour between two rows of an image.
int CountColour(const QImage& image, QRgb colour, int top, int bottom)
{
    int count = 0;
    for (int y = qMax(0, top); y < qMin(image.height(), bottom); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
    return count;
}

} // namespace

void TestQuorvelView::drawsEachLineInItsColour()
{
    ChannelWindows windows(2);
    const QList<QPair<QByteArray, QColor>> lines{{kRedFault, QColor(255, 0, 0)}, {kGreenFault, QColor(0, 255, 0)},
                                                 {kBlueAlarm, QColor(0, 0, 255)}, {kBlackEvent, QColor(0, 0, 0)},
                                                 {kGreyClear, QColor(128, 128, 128)}};
    for (const auto& line : lines)
        windows.Add(1, line.first);
    CQuorvelView* view = windows.View(1);

    const QList<TextRecorder::Text> texts = TextRecorder::Record(view->viewport());
    QCOMPARE(texts.size(), lines.size());
    const QImage image = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QFontMetrics metrics(view->font());
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(texts[i].text, QString::fromLatin1(windows.Doc(1).GetEvent(i).GetText()));
        QCOMPARE(texts[i].color, lines[i].second);
        const int baseline = int(texts[i].baseline.y());
        QVERIFY2(CountColour(image, lines[i].second.rgb(), baseline - metrics.ascent(), baseline + metrics.descent()) > 5,
                 qPrintable(QStringLiteral("line %1 not drawn in %2").arg(i).arg(lines[i].second.name())));
        if (i > 0)
            QVERIFY(texts[i].baseline.y() > texts[i - 1].baseline.y());
    }
}

void TestQuorvelView::notConnectedLineAndItsClearing()
{
    ChannelWindows windows(3);
    windows.Add(3, kBlueAlarm);
    windows.SetConnected(3, false);
    QList<TextRecorder::Text> texts = TextRecorder::Record(windows.View(3)->viewport());
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts[0].text, QStringLiteral("Port COM5 not connected."));
    QCOMPARE(texts[0].color, QColor(Qt::black));
    // The event lines follow below it, not over it.
    QVERIFY(texts[1].baseline.y() > texts[0].baseline.y());

    windows.SetConnected(3, true);
    texts = TextRecorder::Record(windows.View(3)->viewport());
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts[0].color, QColor(Qt::blue));
}

void TestQuorvelView::scrolling_data()
{
    QTest::addColumn<QString>("keys");   // typed in turn; none: the scroll bar's up arrow is clicked
    QTest::addColumn<bool>("top");       // expected at the oldest line
    QTest::addColumn<int>("halfPages");  // else the expected move from the newest in half windows
    QTest::addColumn<int>("lines");      // and in lines
    QTest::newRow("line up") << "Up" << false << 0 << -1;
    QTest::newRow("line down at the end") << "Down" << false << 0 << 0;
    QTest::newRow("page up") << "PgUp" << false << -1 << 0;
    QTest::newRow("scroll bar's up arrow") << "" << false << 0 << -1;
    QTest::newRow("home") << "Home" << true << 0 << 0;
    QTest::newRow("ctrl+home") << "Ctrl+Home" << true << 0 << 0;
    QTest::newRow("end after page up") << "PgUp, End" << false << 0 << 0;
    QTest::newRow("ctrl+end after home") << "Home, Ctrl+End" << false << 0 << 0;
}

void TestQuorvelView::scrolling()
{
    QFETCH(QString, keys);
    QFETCH(bool, top);
    QFETCH(int, halfPages);
    QFETCH(int, lines);
    ChannelWindows windows(2);
    CQuorvelView* view = windows.View(1);
    QScrollBar* bar = view->verticalScrollBar();
    const int visible = view->VisibleLines();
    QVERIFY(visible > 2);
    const int count = visible + 20;
    for (int i = 0; i < count; ++i)
        windows.Add(1, i % 2 ? kBlueAlarm : kBlackEvent);

    // Appending keeps the newest lines in the window.
    QTRY_COMPARE(bar->maximum(), count - visible);
    QCOMPARE(bar->value(), count - visible);
    QCOMPARE(TextRecorder::Record(view->viewport()).size(), visible);

    view->setFocus();
    if (!keys.isEmpty()) {
        QTest::keySequence(view, QKeySequence(keys));
    } else {
        bar->show();
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 2));
    }
    const int expected = top ? 0 : count - visible + halfPages * (visible / 2) + lines;
    QCOMPARE(bar->value(), expected);
    QCOMPARE(view->FirstLine(), expected);
    const QList<TextRecorder::Text> shown = TextRecorder::Record(view->viewport());
    QCOMPARE(shown.first().text, QString::fromLatin1(windows.Doc(1).GetEvent(expected).GetText()));

    // A new event brings the newest lines back.
    windows.Add(1, kBlackEvent);
    QCOMPARE(view->FirstLine(), count + 1 - visible);
    QTRY_COMPARE(bar->value(), count + 1 - visible);

    // So does turning to the window after scrolling back.
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(bar->value(), count - 1 - visible);
    windows.Frame().MdiArea()->setActiveSubWindow(windows.Window(2));
    windows.Frame().MdiArea()->setActiveSubWindow(windows.Window(1));
    QTRY_COMPARE(bar->value(), count + 1 - visible);
    QCOMPARE(view->FirstLine(), count + 1 - visible);
}

void TestQuorvelView::tallerWindowShowsMoreOfTheNewest()
{
    ChannelWindows windows(4);
    CQuorvelView* view = windows.View(1);
    const int before = view->VisibleLines();
    for (int i = 0; i < 4 * before; ++i)
        windows.Add(1, kBlackEvent);
    windows.Window(1)->showMaximized();
    QTRY_VERIFY(view->VisibleLines() > 2 * before);
    const QList<TextRecorder::Text> shown = TextRecorder::Record(view->viewport());
    QCOMPARE(shown.size(), view->VisibleLines());
    QCOMPARE(view->FirstLine(), 4 * before - view->VisibleLines());
}

void TestQuorvelView::flashStartedByFaultStoppedByFocus()
{
    ChannelWindows windows(3);
    CChildFrame* window = windows.Window(2);
    const QString plain = window->windowTitle();
    const QString marked = QString::fromLatin1(Str::kFlashingTitle).arg(plain);
    QSignalSpy titles(window, &QWidget::windowTitleChanged);

    windows.Add(2, kBlackEvent);
    windows.Add(3, kBlueAlarm);
    QTest::qWait(2 * CQuorvelView::kFlashPeriodMs + 200);
    QCOMPARE(titles.count(), 0);  // no fault, no flash
    QCOMPARE(windows.Window(3)->windowTitle(), windows.Doc(3).GetTitle());

    windows.Add(2, kGreenFault);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), marked, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), plain, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), marked, 5000);

    windows.Frame().MdiArea()->setActiveSubWindow(window);
    QTRY_COMPARE(window->windowTitle(), plain);
    titles.clear();
    QTest::qWait(2 * CQuorvelView::kFlashPeriodMs + 200);
    QCOMPARE(titles.count(), 0);

    // A fault that comes later, with the user looking elsewhere, flashes again.
    windows.Frame().MdiArea()->setActiveSubWindow(windows.Window(1));
    windows.Add(2, kRedFault);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), marked, 5000);
}

void TestQuorvelView::keyboardBackToTheActiveViewAfterABox()
{
    ChannelWindows windows(2);
    CMainFrame& frame = windows.Frame();
    frame.show();
    QApplication::setActiveWindow(&frame);
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    CChildFrame* window = windows.Window(2);
    frame.MdiArea()->setActiveSubWindow(window);
    window->View()->clearFocus();  // nothing in the window has the keyboard
    QVERIFY(!window->View()->hasFocus());

    // A fault comes in while a box is up; the box closes and the main window is active again.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quorvel"), QStringLiteral("a box"), QMessageBox::Ok, &frame);
    box.show();
    QApplication::setActiveWindow(&box);
    QVERIFY(QTest::qWaitForWindowActive(&box));
    windows.Add(2, kGreenFault);
    const QString plain = windows.Doc(2).GetTitle();
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString::fromLatin1(Str::kFlashingTitle).arg(plain), 5000);
    box.close();
    QApplication::setActiveWindow(&frame);
    QVERIFY(QTest::qWaitForWindowActive(&frame));

    QTRY_VERIFY(window->View()->hasFocus());
    QTRY_COMPARE(window->windowTitle(), plain);
    QVERIFY(!window->View()->IsFlashing());
}

void TestQuorvelView::contextMenuOffersProperties()
{
    ChannelWindows windows(2);
    QStringList items;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(QApplication::activePopupWidget());
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction* action : menu->actions())
            items.append(action->text());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().first()).center());
    });
    QSignalSpy asked(&windows.Frame(), &CMainFrame::openChannelProperties);
    QWidget* viewport = windows.View(2)->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), viewport->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(viewport, &event);
    QCOMPARE(items, QStringList{QStringLiteral("Properites")});
    // The sheet of the window's own channel is asked for.
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().first().toInt(), 2);
    QVERIFY(windows.messages.texts.isEmpty());
}

QTEST_MAIN(TestQuorvelView)
#include "tst_quorvelview.moc"
