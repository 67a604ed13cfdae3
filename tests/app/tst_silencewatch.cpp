#include "app/SilenceWatch.h"
#include "archive/QuorvelDoc.h"
#include "comms/CommsProtocol.h"
#include "core/Clock.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "core/StationHealth.h"
#include "events/DisplayObj.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QtEndian>
#include <QtTest>

namespace {

const QDateTime kOpened(QDate::currentDate(), QTime(12, 0, 0));

QDateTime At(int minutes, int seconds = 0)
{
    return kOpened.addSecs(minutes * 60 + seconds);
}

} // namespace

// A line that is open but says nothing, watched with the clock set by the test.
class TestSilenceWatch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void quietLine_data();
    void quietLine();
    void probesCountAsLife();
    void systemEventStoredAsRecord();

private:
    // Sets the clock and lets the watch look.
    void CheckAt(const QDateTime& now);
    QByteArrayList Listed() const;

    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
    std::unique_ptr<CQuorvelDoc> m_doc;
    std::unique_ptr<SilenceWatch> m_watch;
};

void TestSilenceWatch::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    QDir().mkdir(m_station->Path(QStringLiteral("Archives")));
    // System events are listed only with the System flag, as every record of their kind.
    ProfileStore().setValue(QStringLiteral("Settings/System"), 1);
    StationHealth::Reset();
    Clock::SetNow(kOpened);
    m_doc = std::make_unique<CQuorvelDoc>(QStringLiteral("North Gate"));
    m_doc->SetConnection(1, 1);
    ChannelHealth& health = StationHealth::Channel(1);
    health.assigned = true;
    health.up = true;
    health.upSinceMs = kOpened.toMSecsSinceEpoch();
}

void TestSilenceWatch::cleanup()
{
    m_watch.reset();
    m_doc.reset();
    m_messages.reset();
    m_station.reset();
    StationHealth::Reset();
}

void TestSilenceWatch::CheckAt(const QDateTime& now)
{
    Clock::SetNow(now);
    m_watch->Check();
}

QByteArrayList TestSilenceWatch::Listed() const
{
    QByteArrayList lines;
    for (int i = 0; i < m_doc->GetEventCount(); ++i)
        lines.append(m_doc->GetEvent(i).GetText());
    return lines;
}

void TestSilenceWatch::quietLine_data()
{
    QTest::addColumn<int>("minutes");      // SilenceMinutes
    QTest::addColumn<bool>("lineUp");
    QTest::addColumn<int>("frameAfter");   // minutes after opening a frame comes, -1: none
    QTest::addColumn<QByteArrayList>("listed");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("silent, then active again") << 5 << true << 7
        << QByteArrayList{"12:05:00 Line silent since 12:00:00", "12:07:00 Line active again after 7 min"}
        << QStringList{"North Gate: Line silent since 12:00:00", "North Gate: Line active again after 7 min"};
    QTest::newRow("a frame in time") << 5 << true << 4 << QByteArrayList{} << QStringList{};
    QTest::newRow("line not open") << 5 << false << -1 << QByteArrayList{} << QStringList{};
    QTest::newRow("watch off") << 0 << true << -1 << QByteArrayList{} << QStringList{};
}

void TestSilenceWatch::quietLine()
{
    QFETCH(int, minutes);
    QFETCH(bool, lineUp);
    QFETCH(int, frameAfter);
    QFETCH(QByteArrayList, listed);
    QFETCH(QStringList, boxes);

    StationHealth::Channel(1).up = lineUp;
    m_watch = std::make_unique<SilenceWatch>(minutes);
    m_watch->SetDocument(1, m_doc.get());
    for (int minute = 1; minute <= 8; ++minute) {
        // Just short of the limit nothing happens; a silence is told once.
        CheckAt(At(minute, -1));
        if (minute == frameAfter)
            StationHealth::Channel(1).NoteFrame(At(minute).toMSecsSinceEpoch());
        CheckAt(At(minute));
    }
    QCOMPARE(Listed(), listed);
    QCOMPARE(m_messages->texts, boxes);
    if (!boxes.isEmpty()) {
        QCOMPARE(m_messages->icons.first(), IUserMessages::Icon::Exclamation);
        QCOMPARE(m_messages->beeps, QList<IUserMessages::Beep>{IUserMessages::Beep::Exclamation});
    }
}

void TestSilenceWatch::probesCountAsLife()
{
    // The line's own comms stack counts the far end's probes ("RU", answered and never listed).
    CCommsProtocol protocol(3, 3, 3);
    protocol.SetHealth(&StationHealth::Channel(1));
    m_watch = std::make_unique<SilenceWatch>(5);
    m_watch->SetDocument(1, m_doc.get());
    for (int minute = 3; minute <= 12; minute += 3) {
        Clock::SetNow(At(minute));
        const QByteArray probe = SimFrames::BlockFrame("RU", false);
        protocol.OnRxData(int(probe.size()), probe.constData());
        CheckAt(At(minute, 1));
    }
    QCOMPARE(Listed(), QByteArrayList{});
    QCOMPARE(m_messages->texts, QStringList{});
    QCOMPARE(StationHealth::Channel(1).framesAck.load(), 4u);
}

void TestSilenceWatch::systemEventStoredAsRecord()
{
    // The bytes of a record as every reader of archives knows them: colours, kind, fault,
    // message length, the counted text, the text flag.
    Clock::SetNow(At(0, 9));
    QCOMPARE(m_doc->RecordSystemEvent("Line silent since 11:55:00"), 1);
    m_doc.reset();  // written out
    QFile file(m_station->Path(QStringLiteral("Archives/North Gate %1.krv").arg(kOpened.toString(QStringLiteral("yyyyMMdd")))));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QByteArray text = "12:00:09 Line silent since 11:55:00";
    const QByteArray expected = QByteArray(Str::kArchiveHeader)
        + QByteArray::fromHex("ffffff00" "3f903f00" "02000000" "00000000" "00000000") + char(text.size()) + text
        + QByteArray::fromHex("01000000");
    QCOMPARE(bytes.toHex(' '), expected.toHex(' '));
}

QTEST_GUILESS_MAIN(TestSilenceWatch)
#include "tst_silencewatch.moc"
