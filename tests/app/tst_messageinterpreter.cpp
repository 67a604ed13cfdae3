#include "app/MessageInterpreter.h"
#include "archive/DiskSpace.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "events/DisplayObj.h"
#include "tests/events/AlarmFixture.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

// The top of a channel's stack, fed as the link layer feeds it (no port: the replies go nowhere).
class TestMessageInterpreter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void deliversEachMessageToTheDocument();
    void lostMessageIsReportedOncePerMessage();
    void reenteredHandlerKeepsItsOwnMessage();
    void emptyQueueDoesNothing();
    void commsErrorLeavesTheQueue();
    void lineEventsKeepTheirPlaceAcrossThreads();
    void lineEventStampedWhenItHappened();

private:
    // Feeds one message in a block-check frame and lets the stack work through it.
    void Feed(const QByteArray& message);
    QByteArrayList Listed() const;
    // The document records on `logging`, which waits until `held` is released; system lines are
    // listed too.
    void HoldDocumentOnThread(QThread& logging, QSemaphore& held);

    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<CQuorvelDoc> m_doc;
    std::unique_ptr<CMessageInterpreter> m_interpreter;
};

class ExposedInterpreter : public CMessageInterpreter
{
public:
    using CMessageInterpreter::CMessageInterpreter;
    using CCommsProtocol::m_pMessageQueue;
    void PostMessageEvent() { QCoreApplication::postEvent(this, new CommsEvent(WM_RX_MESSAGE, 3, QByteArray())); }
};

void TestMessageInterpreter::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "N", "", "", "Door open"}}}));
    QDir().mkdir(m_station->Path(QStringLiteral("Archives")));
    m_doc = std::make_unique<CQuorvelDoc>(QStringLiteral("Gate"));
    m_doc->SetConnection(0, 4);
    m_interpreter = std::make_unique<ExposedInterpreter>(3, 3, 3, m_doc.get());
}

void TestMessageInterpreter::cleanup()
{
    m_interpreter.reset();
    m_doc.reset();
    SetDiskFiguresQuery(nullptr);
    m_messages.reset();
    m_station.reset();
}

void TestMessageInterpreter::Feed(const QByteArray& message)
{
    const QByteArray frame = SimFrames::BlockFrame(message, false);
    m_interpreter->OnRxData(int(frame.size()), frame.constData());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

QByteArrayList TestMessageInterpreter::Listed() const
{
    QByteArrayList lines;
    for (int i = 0; i < m_doc->GetEventCount(); ++i)
        lines.append(m_doc->GetEvent(i).GetText());
    return lines;
}

void TestMessageInterpreter::HoldDocumentOnThread(QThread& logging, QSemaphore& held)
{
    WriteProfileInt(QString::fromLatin1(Str::kSectionSettings), QString::fromLatin1(Str::kFlagSystem), 1);
    logging.start();
    m_doc->moveToThread(&logging);
    QMetaObject::invokeMethod(m_doc.get(), [&held] { held.acquire(); }, Qt::QueuedConnection);
}

void TestMessageInterpreter::deliversEachMessageToTheDocument()
{
    Feed(QByteArray::fromHex("010707"));
    Feed(QByteArray::fromHex("8400") + "Tamper cleared");
    const QByteArrayList lines = Listed();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(" R A Event 007: Door open "));
    QVERIFY(lines[1].endsWith(" Alarm Clear: Tamper cleared"));
    QVERIFY(m_messages->texts.isEmpty());
}

void TestMessageInterpreter::lostMessageIsReportedOncePerMessage()
{
    // A full disk: the day archive is refused, so no message can be recorded.
    SetDiskFiguresQuery([](const QString&) { return DiskFigures{true, 0, 1000}; });
    Feed(QByteArray::fromHex("010707"));
    Feed(QByteArray::fromHex("010708"));
    QCOMPARE(m_messages->texts, QStringList(2, QString::fromLatin1(Str::kFatalDiskError)));
    QCOMPARE(m_doc->GetEventCount(), 0);

    // The next message once there is room again is handled normally.
    SetDiskFiguresQuery(nullptr);
    Feed(QByteArray::fromHex("010709"));
    QCOMPARE(m_doc->GetEventCount(), 1);
    QCOMPARE(m_messages->texts.size(), 2);
}

void TestMessageInterpreter::reenteredHandlerKeepsItsOwnMessage()
{
    // Remote monitoring on, its port open, but no monitor object: every message brings a box,
    // and the box lets the channel's next message in, as a modal box would.
    Pty monitorLine;
    QCOMPARE(SharedRemotePort().Open(monitorLine.SlavePath(), LineSettings{5, 3, 0, 0, 0}), 0);
    g_nRemoteMonitorEnabled = 1;
    bool nested = false;
    m_messages->onBox = [&] {
        if (nested)
            return;
        nested = true;
        Feed(QByteArray::fromHex("8400") + "Second");
    };
    Feed(QByteArray::fromHex("8400") + "First");
    g_nRemoteMonitorEnabled = 0;
    SharedRemotePort().Close();

    // The nested message was handled inside the first one's handling; each kept its own bytes.
    QCOMPARE(m_messages->texts, QStringList(2, QString::fromLatin1(Str::kRemotePortError)));
    const QByteArrayList lines = Listed();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(" Alarm Clear: Second"));
    QVERIFY(lines[1].endsWith(" Alarm Clear: First"));
}

void TestMessageInterpreter::emptyQueueDoesNothing()
{
    auto* interpreter = static_cast<ExposedInterpreter*>(m_interpreter.get());
    Feed(QByteArray::fromHex("010707"));
    interpreter->PostMessageEvent();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m_doc->GetEventCount(), 1);
    QVERIFY(m_messages->texts.isEmpty());
}

void TestMessageInterpreter::commsErrorLeavesTheQueue()
{
    auto* interpreter = static_cast<ExposedInterpreter*>(m_interpreter.get());
    interpreter->ReportError(Str::kTxResendLimit);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(interpreter->m_pMessageQueue->Count(), 0);
    QVERIFY(m_messages->texts.isEmpty());
    Feed(QByteArray::fromHex("010707"));
    QCOMPARE(m_doc->GetEventCount(), 1);
}

// With the document on a thread of its own that is busy, messages wait there in one batch; what
// the station says about the line between two of them must still come between them.
void TestMessageInterpreter::lineEventsKeepTheirPlaceAcrossThreads()
{
    QThread logging;
    QSemaphore held;
    HoldDocumentOnThread(logging, held);

    Feed(QByteArray::fromHex("010707"));
    m_interpreter->PostSystemEvent("Port COM4 not connected.");
    Feed(QByteArray::fromHex("8400") + "Tamper cleared");
    held.release();
    QTRY_COMPARE(m_doc->GetEventCount(), 3);
    logging.quit();
    logging.wait();

    const QByteArrayList lines = Listed();
    QVERIFY(lines[0].endsWith(" R A Event 007: Door open "));
    QVERIFY(lines[1].endsWith(" Port COM4 not connected."));
    QVERIFY(lines[2].endsWith(" Alarm Clear: Tamper cleared"));
}

void TestMessageInterpreter::lineEventStampedWhenItHappened()
{
    QThread logging;
    QSemaphore held;
    HoldDocumentOnThread(logging, held);

    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(10, 0)));
    m_interpreter->PostSystemEvent("Port COM4 not connected.");
    // The logging thread gets to it seconds later, as behind a slow disk.
    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(10, 0, 5)));
    held.release();
    QTRY_COMPARE(m_doc->GetEventCount(), 1);
    logging.quit();
    logging.wait();
    QCOMPARE(Listed(), QByteArrayList{"10:00:00 Port COM4 not connected."});
}

QTEST_GUILESS_MAIN(TestMessageInterpreter)
#include "tst_messageinterpreter.moc"
