// quorvel-archive verify and stats, run as a process on archives the program's own document wrote.
#include "archive/ArchiveSeals.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/SettingsKeys.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

QByteArray Coded(int status, int alarm, int value)
{
    return QByteArray(1, char(status)) + char(alarm) + char(value);
}

const QByteArray kDoorOpenR = Coded(1, 7, 3);  // "R A Event 007: Door open 13"
const QByteArray kDoorOpenL = Coded(0, 7, 4);  // "L A Event 007: Door open 14"
const QByteArray kMainsFail = Coded(1, 8, 0);  // fault
const QByteArray kTestCall = Coded(0, 9, 0);   // event
const QByteArray kRestart = Coded(2, 10, 0);   // system
const QByteArray kLineClear("\x92\x00" "05", 4);                   // text message, event
const QByteArray kUnknownType("\x01\x01xyz", 5);                   // text message, other, no line
const QByteArray kAlarmClear = QByteArray("\x84\x00", 2) + "Gate";  // text message, alarm

struct Logged
{
    QDateTime at;
    QByteArray message;
};

} // namespace

class TestArchiveVerifyStats : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void verify_data();
    void verify();
    void stats_data();
    void stats();
    void statsFormats();

private:
    // The tool's exit status, -1 when it did not end by itself.
    int Tool(const QStringList& args, QByteArray& out) const;
    QString Archive(const QString& name) const { return m_station->Path(QStringLiteral("Archives/") + name); }
    // The program's document logs each message at its time, crossing days as the station does.
    void Log(const QString& channel, const QList<Logged>& messages);
    void LogKnownSet();

    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
};

void TestArchiveVerifyStats::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    QVERIFY(QDir().mkpath(m_station->Path(QStringLiteral("Archives"))));
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "Y", "10", "", "Door open"}},
                              {8, {"FAULT", "", "", "", "Mains fail"}},
                              {9, {"EVENT", "", "", "", "Test call"}},
                              {10, {"SYSTEM", "", "", "", "Restart"}}}));
}

void TestArchiveVerifyStats::cleanup()
{
    ArchiveSeals::WaitForDone();
    m_messages.reset();
    m_station.reset();
}

int TestArchiveVerifyStats::Tool(const QStringList& args, QByteArray& out) const
{
    QProcess tool;
    tool.start(QStringLiteral(ARCHIVE_TOOL), args);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return -1;
    out = tool.readAllStandardOutput();
    return tool.exitCode();
}

void TestArchiveVerifyStats::Log(const QString& channel, const QList<Logged>& messages)
{
    CQuorvelDoc doc(channel);
    doc.SetConnection(1, 1);
    for (const Logged& logged : messages) {
        Clock::SetNow(logged.at);
        QCOMPARE(doc.HandleMessage(logged.message), 1);
    }
}

QDateTime At(int day, int h, int m, int s)
{
    return QDateTime(QDate(2024, 5, day), QTime(h, m, s));
}

// North Gate, 5 May: twelve alarms 5 s apart from 10:00 (a flood), a fault, a coded event, a
// system record, a line clear-down (event), a text message of no known type (other, no time), and
// an alarm with another count at 12:00; 6 May: an alarm at 8:00 and an alarm clear a second later.
// East, 5 May: eleven alarms from 9:00, the first ten 5 s apart and the last at 9:10, exactly ten
// minutes after the first: never more than ten in one window.
void TestArchiveVerifyStats::LogKnownSet()
{
    QList<Logged> gate;
    for (int i = 0; i < 12; ++i)
        gate.append({At(5, 10, 0, i * 5), kDoorOpenR});
    gate += QList<Logged>{{At(5, 11, 0, 0), kMainsFail}, {At(5, 11, 0, 5), kTestCall},  {At(5, 11, 0, 10), kRestart},
                          {At(5, 11, 0, 15), kLineClear}, {At(5, 11, 0, 20), kUnknownType},
                          {At(5, 12, 0, 0), kDoorOpenL},  {At(6, 8, 0, 0), kDoorOpenR},  {At(6, 8, 0, 1), kAlarmClear}};
    Log(QStringLiteral("North Gate"), gate);
    QList<Logged> east;
    for (int i = 0; i < 10; ++i)
        east.append({At(5, 9, 0, i * 5), kDoorOpenR});
    east.append({At(5, 9, 10, 0), kDoorOpenR});
    Log(QStringLiteral("East"), east);
}

void TestArchiveVerifyStats::verify_data()
{
    QTest::addColumn<QString>("change");  // what happens to North Gate's sealed archive of 5 May
    QTest::addColumn<QString>("target");  // "station" or the archive's name
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");  // %1: the Archives folder

    const QByteArray both = "%1/East 20240505.krv: ok\n%1/North Gate 20240505.krv: ";
    QTest::newRow("untouched") << "" << "North Gate 20240505.krv" << 0 << QByteArray("%1/North Gate 20240505.krv: ok\n");
    QTest::newRow("a changed byte") << "byte" << "North Gate 20240505.krv" << 1
                                    << QByteArray("%1/North Gate 20240505.krv: changed\n");
    QTest::newRow("truncated") << "truncate" << "North Gate 20240505.krv" << 1
                               << QByteArray("%1/North Gate 20240505.krv: damaged\n");
    QTest::newRow("header changed") << "header" << "North Gate 20240505.krv" << 1
                                    << QByteArray("%1/North Gate 20240505.krv: damaged\n");
    QTest::newRow("today's, not sealed") << "" << "North Gate 20240506.krv" << 0
                                         << QByteArray("%1/North Gate 20240506.krv: not sealed\n");
    QTest::newRow("removed from the seals") << "unseal" << "North Gate 20240505.krv" << 0
                                            << QByteArray("%1/North Gate 20240505.krv: not sealed\n");
    QTest::newRow("station, all well") << "" << "station" << 0
                                       << both + "ok\n%1/North Gate 20240506.krv: not sealed\n";
    QTest::newRow("station, one changed") << "byte" << "station" << 1
                                          << both + "changed\n%1/North Gate 20240506.krv: not sealed\n";
    QTest::newRow("no such file") << "" << "North Gate 20240101.krv" << 2 << QByteArray();
}

void TestArchiveVerifyStats::verify()
{
    QFETCH(QString, change);
    QFETCH(QString, target);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);

    LogKnownSet();
    // The document sealed North Gate's 5 May at its day switch; East's is sealed at the next start.
    Clock::SetNow(At(6, 12, 0, 0));
    ArchiveSeals::SealEarlierDays();
    ArchiveSeals::WaitForDone();
    const QString sealed = Archive(QStringLiteral("North Gate 20240505.krv"));
    QFile file(sealed);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    if (change == QLatin1String("byte")) {
        bytes[bytes.indexOf("Door open") + 1] = 'O';  // the record still reads whole
    } else if (change == QLatin1String("truncate")) {
        bytes.chop(5);
    } else if (change == QLatin1String("header")) {
        bytes[3] = '_';
    } else if (change == QLatin1String("unseal")) {
        QFile seals(Archive(QLatin1String(Str::kSealFile)));
        QVERIFY(seals.open(QIODevice::ReadWrite));
        QByteArray lines = seals.readAll();
        lines.remove(lines.indexOf("North Gate") - 66, 66 + int(qstrlen("North Gate 20240505.krv\n")));
        QVERIFY(seals.resize(0));
        seals.write(lines);
    }
    QVERIFY(file.resize(0));
    file.seek(0);
    file.write(bytes);
    file.close();

    QByteArray output;
    const QString archives = m_station->Path(QStringLiteral("Archives"));
    const QString path = target == QLatin1String("station") ? m_station->Dir() : archives + QLatin1Char('/') + target;
    QCOMPARE(Tool({QStringLiteral("verify"), path}, output), exitCode);
    QCOMPARE(output, out.replace("%1", QFile::encodeName(archives)));

    // What verify calls ok, sha256sum finds whole too, with nothing but the seal file.
    if (change.isEmpty() && target == QLatin1String("station")) {
        QProcess check;
        check.setWorkingDirectory(archives);
        check.start(QStringLiteral("sha256sum"), {QStringLiteral("-c"), QLatin1String(Str::kSealFile)});
        QVERIFY(check.waitForFinished(10000));
        QCOMPARE(check.exitCode(), 0);
        QCOMPARE(check.readAllStandardOutput(), QByteArray("North Gate 20240505.krv: OK\nEast 20240505.krv: OK\n"));
    }
}

void TestArchiveVerifyStats::stats_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArrayList>("lines");  // json, one object a line, keys in order

    const QByteArray eastDay =
        R"({"alarm":11,"channel":"East","date":"2024-05-05","event":0,"fault":0,"other":0,"records":11,)"
        R"("section":"day","status":{"L":0,"R":11,"S":0,"X":0},"system":0,"textMessages":0})";
    const QByteArray eastText =
        R"({"channel":"East","count":11,"rank":1,"section":"text","share":100,"text":"A Event 007: Door open 13"})";
    const QByteArray eastGap =
        R"({"channel":"East","end":"2024-05-05T09:10:00","seconds":555,"section":"gap","start":"2024-05-05T09:00:45"})";
    const QByteArray gateDay5 =
        R"({"alarm":13,"channel":"North Gate","date":"2024-05-05","event":2,"fault":1,"other":1,"records":18,)"
        R"("section":"day","status":{"L":2,"R":13,"S":1,"X":0},"system":1,"textMessages":2})";
    const QByteArray gateDay6 =
        R"({"alarm":2,"channel":"North Gate","date":"2024-05-06","event":0,"fault":0,"other":0,"records":2,)"
        R"("section":"day","status":{"L":0,"R":1,"S":0,"X":0},"system":0,"textMessages":1})";
    const QByteArray gateFlood =
        R"({"channel":"North Gate","count":12,"end":"2024-05-05T10:00:55","peak":12,"section":"flood",)"
        R"("start":"2024-05-05T10:00:00"})";
    QTest::newRow("whole station")
        << QStringList{} << 0
        << QByteArrayList{
               eastDay, eastText, eastGap, gateDay5, gateDay6, gateFlood,
               R"({"channel":"North Gate","count":13,"rank":1,"section":"text","share":86.7,"text":"A Event 007: Door open 13"})",
               R"({"channel":"North Gate","count":1,"rank":2,"section":"text","share":6.7,"text":"A Event 007: Door open 14"})",
               R"({"channel":"North Gate","count":1,"rank":3,"section":"text","share":6.7,"text":"Alarm Clear: Gate"})",
               R"({"channel":"North Gate","end":"2024-05-06T08:00:00","seconds":72000,"section":"gap","start":"2024-05-05T12:00:00"})"};
    QTest::newRow("one channel, from a day")
        << QStringList{"--channel", "North Gate", "--from", "2024-05-06"} << 0
        << QByteArrayList{
               gateDay6,
               R"({"channel":"North Gate","count":1,"rank":1,"section":"text","share":50,"text":"A Event 007: Door open 13"})",
               R"({"channel":"North Gate","count":1,"rank":2,"section":"text","share":50,"text":"Alarm Clear: Gate"})",
               R"({"channel":"North Gate","end":"2024-05-06T08:00:01","seconds":1,"section":"gap","start":"2024-05-06T08:00:00"})"};
    QTest::newRow("up to a day") << QStringList{"--channel", "East", "--to", "2024-05-04"} << 1 << QByteArrayList{};
}

void TestArchiveVerifyStats::stats()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QByteArrayList, lines);
    LogKnownSet();
    QByteArray output;
    QCOMPARE(Tool(QStringList{QStringLiteral("stats"), m_station->Dir(), QStringLiteral("--format"),
                              QStringLiteral("json")} + options,
                  output),
             exitCode);
    QCOMPARE(output, lines.isEmpty() ? QByteArray() : lines.join('\n') + '\n');
}

void TestArchiveVerifyStats::statsFormats()
{
    LogKnownSet();
    QByteArray csv;
    QCOMPARE(Tool({QStringLiteral("stats"), m_station->Dir(), QStringLiteral("--format"), QStringLiteral("csv")}, csv), 0);
    const QByteArrayList rows = csv.split('\n');
    QCOMPARE(rows.first(), QByteArray(
        "section,channel,date,records,alarm,fault,event,system,other,L,R,S,X,text_messages,start,end,count,peak,rank,"
        "text,share,seconds\r"));
    QVERIFY(rows.contains("day,North Gate,2024-05-05,18,13,1,2,1,1,2,13,1,0,2,,,,,,,,\r"));
    QVERIFY(rows.contains("flood,North Gate,2024-05-05,,,,,,,,,,,,2024-05-05T10:00:00,2024-05-05T10:00:55,12,12,,,,\r"));
    QVERIFY(rows.contains("text,North Gate,,,,,,,,,,,,,,,13,,1,A Event 007: Door open 13,86.7,\r"));
    QVERIFY(rows.contains("gap,North Gate,2024-05-05,,,,,,,,,,,,2024-05-05T12:00:00,2024-05-06T08:00:00,,,,,,72000\r"));
    for (const QByteArray& row : rows.mid(0, rows.size() - 1))
        QCOMPARE(row.count(','), 21);

    QByteArray text;
    QCOMPARE(Tool({QStringLiteral("stats"), m_station->Dir()}, text), 0);
    QVERIFY2(text.contains("North Gate\n"), text.constData());
    QVERIFY2(text.contains("  2024-05-05       18      13       1       2       1       1       2      13       1       0       2\n"),
             text.constData());
    QVERIFY2(text.contains("    2024-05-05 10:00:00 to 2024-05-05 10:00:55: 12 alarms, at most 12 in 10 minutes\n"),
             text.constData());
    QVERIFY2(text.contains("  floods (more than 10 alarms in 10 minutes): 0\n"), text.constData());
    QVERIFY2(text.contains("     1.       13  86.7% A Event 007: Door open 13\n"), text.constData());
    QVERIFY2(text.contains("  longest time without a frame: 20:00:00, from 2024-05-05 12:00:00 to 2024-05-06 08:00:00\n"),
             text.constData());
}

QTEST_GUILESS_MAIN(TestArchiveVerifyStats)
#include "tst_archiveverifystats.moc"
