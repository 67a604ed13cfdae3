#include "app/QuorvelApp.h"
#include "app/WindowViews.h"
#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/SpinUntil.h"
#include "tests/support/TestStation.h"
#include "tests/ui/PrivateNotifications.h"
#include "tests/ui/TextRecorder.h"
#include "tests/ui/WindowStation.h"
#include "tools/quorvel-sim/SimFrames.h"
#include "ui/ChildFrm.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"
#include "ui/WindowDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>

namespace {

const QString kPortMapError = QStringLiteral("The port map qvportmap.ini does not assign a valid COM port to every channel.");
const QString kMonitorError = QStringLiteral("Unable to open Com port for remote alarm monitor.");

} // namespace

// The program with its windows, on a station of its own: what start-up shows, how records and
// the lines' states reach the windows, and how the windows end the program.
class TestWindowStation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void alertsInWindowsNotInFrontReachTheDesktop();
    void channelsInTheirWindows();
    void filesAreOpened();
    void quitQuestion_data();
    void quitQuestion();
    void channelOneLogsWhileThePortMapBoxIsOpen();
    void floodOfOneMessageOpensOneBox();

private:
    std::unique_ptr<PrivateNotifications> m_notifications;  // the session bus of every test here
};

void TestWindowStation::initTestCase()
{
    // Before any window looks for the session bus; without a notification service on it until a
    // test serves one.
    m_notifications = std::make_unique<PrivateNotifications>();
}

void TestWindowStation::alertsInWindowsNotInFrontReachTheDesktop()
{
    if (!m_notifications->IsRunning())
        QSKIP("no private session bus: dbus-daemon is not installed (scripts/setup.sh installs it)");
    QVERIFY(m_notifications->Serve(true));
    const auto served = qScopeGuard([this] { m_notifications->Serve(false); });
    m_notifications->shown.clear();
    Pty one, two;
    WindowStation station({{1, &one}, {2, &two}});
    ScriptedMessages messages;
    QVERIFY(station.Start());
    CMainFrame& frame = station.Frame();
    QApplication::setActiveWindow(&frame);
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QCOMPARE(frame.ActiveChildFrame(), station.views->Window(1));

    // A fault on channel 2, whose window is not in front: told on the desktop, as critical.
    QVERIFY(SendMessage(two, QByteArray::fromHex("0104") + char(0x11)));
    QTRY_COMPARE_WITH_TIMEOUT(m_notifications->shown.size(), 1, 10000);
    const PrivateNotifications::Shown shown = m_notifications->shown.constFirst();
    QCOMPARE(shown.app, QStringLiteral("Quorvel"));
    QCOMPARE(shown.summary, QStringLiteral("Channel 2"));
    QVERIFY2(shown.body.contains(QStringLiteral("Mains failure")), qPrintable(shown.body));
    QCOMPARE(shown.urgency, 2);

    // An alarm in the window in front, and an event elsewhere: the operator sees the one, the
    // other is no alarm.
    QVERIFY(SendAlarm(one, 0x12));
    QVERIFY(SendMessage(two, QByteArray::fromHex("0101") + char(0x11)));
    QTRY_VERIFY_WITH_TIMEOUT(station.Shown(1).filter(QStringLiteral("Door open")).size() == 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(station.Shown(2).filter(QStringLiteral("Mains restored")).size() == 1, 10000);
    QTest::qWait(3 * CQuorvelView::kBeatMs);
    QCOMPARE(m_notifications->shown.size(), 1);
}

void TestWindowStation::channelsInTheirWindows()
{
    Pty one;
    WindowStation station({{1, &one}});
    ScriptedMessages messages;
    QVERIFY(station.Start());
    QVERIFY(messages.texts.isEmpty());

    CMainFrame& frame = station.Frame();
    QVERIFY(frame.isVisible());
    QVERIFY(frame.isMaximized());
    QCOMPARE(frame.ChildFrames().size(), 16);
    // Tiled: side by side within the frame's area, none hidden behind another.
    const QRect area = frame.MdiArea()->viewport()->rect();
    for (int n = 1; n <= 16; ++n) {
        const QRect window = station.views->Window(n)->geometry();
        QCOMPARE(station.views->Window(n)->windowTitle(), QStringLiteral("Channel %1").arg(n));
        QVERIFY(area.contains(window));
        QVERIFY(window.width() >= area.width() / 5 && window.height() >= area.height() / 5);
        for (int m = n + 1; m <= 16; ++m)
            QVERIFY(!window.intersects(station.views->Window(m)->geometry()));
    }
    QCOMPARE(frame.ActiveChildFrame(), station.views->Window(1));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Quorvel - Channel 1"));

    // A record from the line: acknowledged, archived and shown in its channel's window.
    QVERIFY(SendAlarm(one, 0x11));
    QVERIFY(SpinUntil([&] { return station.Archive(1).contains("Door open"); }));
    QTRY_VERIFY_WITH_TIMEOUT(station.Shown(1).filter(QStringLiteral("Door open")).size() == 1, 10000);
    QVERIFY(station.Shown(2).filter(QStringLiteral("Door open")).isEmpty());

    // A channel whose device is absent says so in its window, until the device is there.
    const QString notConnected = QStringLiteral("Port COM2 not connected.");
    QVERIFY(station.Shown(2).contains(notConnected));
    QVERIFY(!station.Shown(1).contains(QStringLiteral("Port COM1 not connected.")));
    Pty two;
    QVERIFY(station.Plug(2, two));
    QTRY_VERIFY_WITH_TIMEOUT(!station.Shown(2).contains(notConnected), 20000);
    QVERIFY(two.PeerOpen());
    QVERIFY(SendAlarm(two, 0x12));
    QTRY_VERIFY_WITH_TIMEOUT(station.Shown(2).filter(QStringLiteral("Door open")).size() == 1, 10000);

    // A line that goes away is shown as such again.
    one.Close();
    QTRY_VERIFY_WITH_TIMEOUT(station.Shown(1).contains(QStringLiteral("Port COM1 not connected.")), 20000);
}

// Every way a file reaches the program opens it as an archive window of its own.
void TestWindowStation::filesAreOpened()
{
    WindowStation station({});
    QStringList archives;
    for (const char* name : {"old/a.krv", "old/b.krv", "dropped.krv", "named.krv"}) {
        archives.append(station.station.Path(QString::fromLatin1(name)));
        station.station.WriteFile(QString::fromLatin1(name), ArchiveHeader());
    }
    station.station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"),
                              "[Backup]\nDrives=.\n[Recent%20File%20List]\nFile1=" + archives[0].toLocal8Bit()
                                  + "\nFile2=" + archives[1].toLocal8Bit() + '\n');
    ScriptedMessages messages;
    QVERIFY(station.Start());
    CMainFrame& frame = station.Frame();
    // The archives' windows follow their opening: none may be active yet.
    auto activeTitle = [&frame] {
        const CChildFrame* active = frame.ActiveChildFrame();
        return active ? active->windowTitle() : QString();
    };

    // Dropped on the main window, as the window system delivers a drop.
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(archives[2])});
    const QPoint middle = frame.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.windowHandle(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(middle, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame.windowHandle(), &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE_WITH_TIMEOUT(activeTitle(), QStringLiteral("dropped.krv"), 30000);

    // Chosen from the Archive menu's recent files.
    QStringList entries;
    QAction* second = nullptr;
    for (QAction* menu : frame.menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->isVisible() && item->text().contains(QStringLiteral(".krv"))) {
                entries.append(item->text());
                if (item->text().contains(QStringLiteral("b.krv")))
                    second = item;
            }
        }
    }
    QCOMPARE(entries, (QStringList{QStringLiteral("&1 ") + archives[2], QStringLiteral("&2 ") + archives[0],
                                   QStringLiteral("&3 ") + archives[1]}));
    QVERIFY(!frame.CommandAction(ID_FILE_MRU_FILE1)->isVisible());
    second->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(activeTitle(), QStringLiteral("b.krv"), 30000);

    // Named by a second copy started on the station: this one comes to the front and opens it.
    frame.showMinimized();
    station.app->OnActivateRequested({archives[3]});
    QVERIFY(!frame.isMinimized());
    QVERIFY(frame.isMaximized());
    QTRY_COMPARE_WITH_TIMEOUT(activeTitle(), QStringLiteral("named.krv"), 30000);
    QCOMPARE(frame.ChildFrames().size(), 19);
    QCOMPARE(station.app->RecentFiles().Files(), (QStringList{archives[3], archives[1], archives[2], archives[0]}));
    QCOMPARE(messages.texts, QStringList{});
}

void TestWindowStation::quitQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(IUserMessages::AnswerNo);
    QTest::newRow("yes") << int(IUserMessages::AnswerYes);
}

void TestWindowStation::quitQuestion()
{
    QFETCH(int, answer);
    const bool quits = answer == IUserMessages::AnswerYes;
    Pty one, two;
    WindowStation station({{1, &one}, {2, &two}});
    ScriptedMessages messages;
    QVERIFY(station.Start());
    QVERIFY(one.PeerOpen() && two.PeerOpen());
    QVERIFY(SendAlarm(one, 0x11));
    QTRY_VERIFY_WITH_TIMEOUT(station.app->Document(1)->GetEventCount() == 1, 10000);

    // Whether any line was still open when the first window began to close.
    struct CloseWatch : QObject
    {
        Pty* lines[2];
        int closes = 0;
        bool lineOpenAtClose = false;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Close && closes++ == 0)
                lineOpenAtClose = lines[0]->PeerOpen() || lines[1]->PeerOpen();
            return false;
        }
    } watch;
    watch.lines[0] = &one;
    watch.lines[1] = &two;
    for (CChildFrame* window : station.Frame().ChildFrames())
        window->installEventFilter(&watch);

    messages.answers = {answer};
    station.Frame().CommandAction(ID_APP_EXIT)->trigger();
    QCOMPARE(messages.texts, QStringList{QStringLiteral("Do you really want to quit?")});
    if (!quits) {
        QCOMPARE(watch.closes, 0);
        QVERIFY(station.Frame().isVisible());
        QCOMPARE(station.Frame().ChildFrames().size(), 16);
        QVERIFY(one.PeerOpen() && two.PeerOpen());
        QVERIFY(SendAlarm(two, 0x12));
        return;
    }
    QVERIFY(!station.Frame().isVisible());
    QCOMPARE(watch.closes, 16);
    QVERIFY(!watch.lineOpenAtClose);
    QVERIFY(!one.PeerOpen() && !two.PeerOpen());
    // The program's end: the day's archive holds the record.
    station.app.reset();
    QVERIFY(station.Archive(1).contains("Door open"));
}

void TestWindowStation::channelOneLogsWhileThePortMapBoxIsOpen()
{
    Pty one;
    // Channel 1 alone is in the port map.
    WindowStation station({{1, &one}}, 1);
    WindowDialogs messages;
    SetUserDialogs(&messages);

    bool frameShownFirst = false;
    bool acknowledged = false;
    QString boxText;
    const QByteArray ack = SimFrames::TerminalAck();
    QByteArray reply;
    QElapsedTimer waiting;
    Ticker person([&] {
        QMessageBox* box = OpenBox();
        if (!box)
            return false;
        if (boxText.isEmpty()) {
            boxText = box->text();
            frameShownFirst = station.views->Frame().isVisible();
            waiting.start();
            one.Write(SimFrames::BlockFrame(QByteArray::fromHex("010011"), false));
        }
        reply += one.Read(int(ack.size() - reply.size()), 1);
        acknowledged = reply == ack;
        // Nobody answers until the record is archived (or long after).
        if (!(acknowledged && station.Archive(1).contains("Door open")) && waiting.elapsed() < 30000)
            return false;
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    QVERIFY(station.Start());
    QVERIFY(person.Done());
    QCOMPARE(boxText, kPortMapError);
    QVERIFY(frameShownFirst);
    QVERIFY(acknowledged);
    QVERIFY(station.Archive(1).contains("Door open"));
    QCOMPARE(station.app->Document(1)->GetEventCount(), 1);
}

void TestWindowStation::floodOfOneMessageOpensOneBox()
{
    Pty one;
    auto monitor = std::make_unique<Pty>();
    WindowStation station({{1, &one}, {17, monitor.get()}}, 16,
                          "[RemoteMonitorSettings]\nEnableDisable=1\nPort=17\nBaudRate=5\nDataBits=3\nParity=0\n"
                          "StopBits=0\nFlowControl=0\n");
    WindowDialogs messages;
    SetUserDialogs(&messages);
    QVERIFY(station.Start());
    QTRY_VERIFY_WITH_TIMEOUT(monitor->PeerOpen(), 10000);

    // The monitor's line goes away; every alarm forwarded to it fails.
    monitor.reset();
    const int count = 50;
    QByteArray burst;
    for (int i = 0; i < count; ++i)
        burst += SimFrames::BlockFrame(QByteArray::fromHex("0100") + char(0x10 + i), false);
    QVERIFY(one.Write(burst));

    int mostOpen = 0;
    QString boxText;
    QElapsedTimer waiting;
    waiting.start();
    Ticker person([&] {
        mostOpen = std::max(mostOpen, messages.Boxes().OpenBoxes());
        QMessageBox* box = OpenBox();
        if (!box)
            return false;
        // Logging goes on under the box.
        if (station.app->Document(1)->GetEventCount() < count && waiting.elapsed() < 60000)
            return false;
        boxText = box->text();
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(person.Done(), 90000);
    QCOMPARE(boxText, kMonitorError);
    QCOMPARE(station.app->Document(1)->GetEventCount(), count);
    // The outage is told once: after OK no box comes back while it lasts, and the menus are free.
    QVERIFY(one.Write(SimFrames::BlockFrame(QByteArray::fromHex("0100") + char(0x10 + count), false)));
    QTRY_COMPARE_WITH_TIMEOUT(station.app->Document(1)->GetEventCount(), count + 1, 10000);
    QTest::qWait(1000);
    QVERIFY(!OpenBox());
    QCOMPARE(mostOpen, 1);
    QCOMPARE(messages.Boxes().NotShownCount(), 0);
}

QTEST_MAIN(TestWindowStation)
#include "tst_windowstation.moc"
