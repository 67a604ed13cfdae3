#include "app/ChannelTables.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "tests/ui/ChannelWindows.h"
#include "ui/AboutDlg.h"
#include "ui/ArchiveDlg.h"
#include "ui/ChildFrm.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/ProgramIcon.h"
#include "ui/QuorvelView.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestMainFrame : public QObject
{
    Q_OBJECT
private slots:
    void sixteenTiledWindowsChannelOneActive();
    void closeArchive_data();
    void closeArchive();
    void quitQuestion_data();
    void quitQuestion();
    void accelerators_data();
    void accelerators();
    void datePaneTurnsAtMidnight();
    void restoreWindowsRestoresOnlyMinimised();
    void windowMenuListsTheWindows();
    void aboutBoxShowsTheProgramIcon();
};

void TestMainFrame::sixteenTiledWindowsChannelOneActive()
{
    ChannelWindows windows;
    CMainFrame& frame = windows.Frame();
    QCOMPARE(frame.ChildFrames().size(), 16);
    QCOMPARE(frame.ActiveChildFrame(), windows.Window(1));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Quorvel - Channel 1"));
    const QRect area = frame.MdiArea()->viewport()->rect();
    int covered = 0;
    for (int n = 1; n <= 16; ++n) {
        CChildFrame* window = windows.Window(n);
        QCOMPARE(window->windowTitle(), QStringLiteral("Channel %1").arg(n));
        QVERIFY(area.contains(window->geometry()));
        for (int m = n + 1; m <= 16; ++m)
            QVERIFY(!window->geometry().intersects(windows.Window(m)->geometry()));
        covered += window->width() * window->height();
    }
    QVERIFY(covered > area.width() * area.height() * 95 / 100);
    // Top-most first: channel 1 at the top left, channel 2 below it.
    QCOMPARE(windows.Window(1)->geometry().topLeft(), area.topLeft());
    QCOMPARE(windows.Window(2)->geometry().left(), area.left());
}

void TestMainFrame::closeArchive_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("closes");
    QTest::newRow("channel window") << "Channel 1" << false;
    QTest::newRow("archive window") << "Channel 1 20240501.krv" << true;
    QTest::newRow("channel name in other case") << "channel 1" << true;
}

void TestMainFrame::closeArchive()
{
    QFETCH(QString, title);
    QFETCH(bool, closes);
    ChannelWindows windows(2);
    windows.Doc(1).SetTitle(title);
    windows.Window(1)->UpdateTitle();
    QPointer<CChildFrame> window = windows.Window(1);
    QCOMPARE(windows.Frame().ActiveChildFrame(), window.data());

    QTest::keyClick(windows.View(1), Qt::Key_L, Qt::ControlModifier);
    if (closes) {
        QTRY_VERIFY(!window);
        QCOMPARE(windows.Frame().ChildFrames().size(), 1);
    } else {
        QTest::qWait(50);
        QVERIFY(window && window->isVisible());
        QCOMPARE(windows.messages.beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Asterisk});
    }
    QVERIFY(windows.messages.texts.isEmpty());
}

void TestMainFrame::quitQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(IUserMessages::AnswerNo);
    QTest::newRow("yes") << int(IUserMessages::AnswerYes);
}

void TestMainFrame::quitQuestion()
{
    QFETCH(int, answer);
    ChannelWindows windows;
    CMainFrame& frame = windows.Frame();
    int windowsOpenWhenPortsClosed = -1;
    connect(&frame, &CMainFrame::closeChannelPorts, this, [&] {
        windowsOpenWhenPortsClosed = 0;
        for (CChildFrame* window : frame.ChildFrames())
            windowsOpenWhenPortsClosed += window->isVisible();
    });
    windows.messages.answers = {answer};

    frame.CommandAction(ID_APP_EXIT)->trigger();
    QCOMPARE(windows.messages.texts, QStringList{QStringLiteral("Do you really want to quit?")});
    QCOMPARE(windows.messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Question});
    QCOMPARE(windows.messages.beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Question});
    if (answer == IUserMessages::AnswerNo) {
        QCOMPARE(windowsOpenWhenPortsClosed, -1);
        QVERIFY(frame.isVisible());
        QCOMPARE(frame.ChildFrames().size(), 16);
    } else {
        QCOMPARE(windowsOpenWhenPortsClosed, 16);
        QVERIFY(!frame.isVisible());
        QTRY_COMPARE(frame.ChildFrames().size(), 0);
    }
}

void TestMainFrame::accelerators_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("backupAvailable");
    QTest::addColumn<QString>("dialog");  // the title of the file dialog it shows, if any
    QTest::addColumn<int>("activeAfter");  // the channel whose window is then active
    QTest::newRow("Ctrl+V view archives") << QKeySequence(Qt::CTRL | Qt::Key_V) << false << "View Archive" << 1;
    QTest::newRow("Ctrl+P print") << QKeySequence(Qt::CTRL | Qt::Key_P) << false << "" << 1;  // the print dialog
    QTest::newRow("Ctrl+B without backup") << QKeySequence(Qt::CTRL | Qt::Key_B) << false << "" << 1;
    QTest::newRow("Ctrl+B with backup") << QKeySequence(Qt::CTRL | Qt::Key_B) << true << "" << 1;  // the backup dialog
    QTest::newRow("Ctrl+O is not one") << QKeySequence(Qt::CTRL | Qt::Key_O) << false << "" << 1;
    QTest::newRow("F6 next window") << QKeySequence(Qt::Key_F6) << false << "" << 2;
    QTest::newRow("Shift+F6 previous window") << QKeySequence(Qt::SHIFT | Qt::Key_F6) << false << "" << 3;  // round to the last
}

void TestMainFrame::accelerators()
{
    QFETCH(QKeySequence, keys);
    QFETCH(bool, backupAvailable);
    QFETCH(QString, dialog);
    QFETCH(int, activeAfter);
    ChannelWindows windows(3);
    windows.Frame().SetBackupAvailable(backupAvailable);
    // Ctrl+B opens the backup dialog (tst_archivedlg takes it further); here it is cancelled at once.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<CArchiveDlg*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    closer.start(10);
    // The file dialog is cancelled.
    QTest::keySequence(windows.View(1), keys);
    QCOMPARE(windows.dialogs.printDialogs, keys == QKeySequence(Qt::CTRL | Qt::Key_P) ? 1 : 0);
    QCOMPARE(windows.messages.texts, QStringList());
    QStringList dialogs;
    for (const IUserDialogs::OpenFileRequest& request : windows.dialogs.openRequests)
        dialogs.append(request.title);
    QCOMPARE(dialogs, dialog.isEmpty() ? QStringList() : QStringList{dialog});
    QTRY_COMPARE(windows.Frame().ActiveChildFrame(), windows.Window(activeAfter));
}

void TestMainFrame::datePaneTurnsAtMidnight()
{
    ChannelWindows windows(1);
    auto* pane = windows.Frame().findChild<QLabel*>(QStringLiteral("datePane"));
    QVERIFY(pane);
    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(23, 59, 58)));
    QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("  Monday, May 06, 2024  "), 5000);
    QVERIFY(pane->width() >= 6 * 20);
    Clock::SetNow(QDateTime(QDate(2024, 5, 7), QTime(0, 0, 1)));
    QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("  Tuesday, May 07, 2024  "), 5000);
}

void TestMainFrame::restoreWindowsRestoresOnlyMinimised()
{
    ChannelWindows windows(5);
    windows.Window(3)->showMinimized();
    windows.Window(4)->showMinimized();
    const QRect fifth = windows.Window(5)->geometry();
    windows.Frame().MdiArea()->setActiveSubWindow(windows.Window(1));
    windows.Frame().CommandAction(ID_RESTORE_WINDOWS)->trigger();
    QVERIFY(!windows.Window(3)->isMinimized());
    QVERIFY(!windows.Window(4)->isMinimized());
    QCOMPARE(windows.Window(5)->geometry(), fifth);
}

void TestMainFrame::windowMenuListsTheWindows()
{
    // Made from the last channel to the first; listed in channel order, digit keys for 1 to 9 only.
    ChannelWindows windows(12);
    QStringList titles;
    for (QAction* menu : windows.Frame().menuBar()->actions())
        titles.append(menu->text());
    QCOMPARE(titles, (QStringList{"&Archive", "&Window", "Tools", "&Help"}));
    QMenu* windowMenu = windows.Frame().menuBar()->actions()[1]->menu();
    emit windowMenu->aboutToShow();
    QStringList entries;
    for (QAction* action : windowMenu->actions()) {
        if (action->isCheckable())
            entries.append(action->text() + (action->isChecked() ? "*" : ""));
    }
    QStringList expected;
    for (int n = 1; n <= 12; ++n)
        expected << QStringLiteral("%1%2 Channel %2%3").arg(n <= 9 ? "&" : "").arg(n).arg(n == 1 ? "*" : "");
    QCOMPARE(entries, expected);
    windowMenu->actions().last()->trigger();
    QCOMPARE(windows.Frame().ActiveChildFrame(), windows.Window(12));
}

void TestMainFrame::aboutBoxShowsTheProgramIcon()
{
    CAboutDlg about;
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QList<QImage> pictures;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            pictures << label->pixmap().toImage();
    }
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0], ProgramIcon().pixmap(32, 32).toImage());
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
