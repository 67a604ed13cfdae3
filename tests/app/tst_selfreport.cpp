#include "app/MetricsFile.h"
#include "core/StationHealth.h"
#include "tests/app/HeadlessStation.h"
#include "tests/support/NotifySocket.h"
#include "tests/support/Pty.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using SimFrames::BlockFrame;
using SimFrames::CrcFrame;

namespace {

// "device:inode" of a file, as the service manager names the journal's stream.
QString StreamName(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1:%2").arg(qulonglong(info.st_dev)).arg(qulonglong(info.st_ino));
}

// Debian's interpreter, which the parser's package is installed for, before any other on the path;
// empty when the parser is not there.
QString PrometheusPython()
{
    QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    if (python.isEmpty())
        python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty() || QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import prometheus_client")}) != 0)
        return {};
    return python;
}

// The samples of a metrics file as a real parser of the format reads them: "type name{labels}"
// (labels sorted, unquoted) to value; empty when the parser refused the file.
QMap<QString, double> ParseMetrics(const QString& python, const QString& path)
{
    QProcess parser;
    parser.start(python, {QStringLiteral("-c"), QStringLiteral(
        "import sys\n"
        "from prometheus_client.parser import text_string_to_metric_families\n"
        "for family in text_string_to_metric_families(open(sys.argv[1]).read()):\n"
        "    for s in family.samples:\n"
        "        labels = ','.join('%s=%s' % kv for kv in sorted(s.labels.items()))\n"
        "        print('%s %s{%s}\\t%r' % (family.type, s.name, labels, s.value))\n"), path});
    QMap<QString, double> samples;
    if (!parser.waitForFinished(20000) || parser.exitCode() != 0)
        return samples;
    for (const QString& row : QString::fromUtf8(parser.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype tab = row.lastIndexOf(QLatin1Char('\t'));
        samples[row.left(tab)] = row.mid(tab + 1).toDouble();
    }
    return samples;
}

} // namespace

// The station reporting on itself: to the service manager, to the journal, in its metrics file.
class TestSelfReport : public QObject
{
    Q_OBJECT

private slots:
    void notifiesServiceManager();
    void journalPriorities_data();
    void journalPriorities();
    void metricsFile_data();
    void metricsFile();
    void metricsLabelsEscaped();
};

void TestSelfReport::notifiesServiceManager()
{
    HeadlessStation station;
    NotifySocket manager(station.Path(QStringLiteral("notify")));
    QVERIFY(manager.IsBound());
    station.SetEnvironment(QStringLiteral("NOTIFY_SOCKET"), station.Path(QStringLiteral("notify")));
    station.SetEnvironment(QStringLiteral("WATCHDOG_USEC"), QStringLiteral("1000000"));
    Pty line;
    QVERIFY(station.StartOnLine(line));

    QTRY_COMPARE_WITH_TIMEOUT(manager.Count(QStringLiteral("READY=1")), 1, 10000);
    const QString disk = QStringLiteral(", disk \\d+ % free$");
    QVERIFY(manager.Has(QRegularExpression(QStringLiteral("^STATUS=1/1 lines up, last message none yet") + disk)));
    QVERIFY(HeadlessStation::SendAlarm(line, 1));
    QTRY_VERIFY_WITH_TIMEOUT(
        manager.Has(QRegularExpression(QStringLiteral("^STATUS=1/1 lines up, last message \\d+ s ago") + disk)), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(manager.Count(QStringLiteral("WATCHDOG=1")) >= 2, 10000);
    QCOMPARE(manager.Count(QStringLiteral("STOPPING=1")), 0);

    QCOMPARE(station.Stop(), 0);
    QCOMPARE(manager.Count(QStringLiteral("STOPPING=1")), 1);
    QCOMPARE(manager.Count(QStringLiteral("READY=1")), 1);
}

void TestSelfReport::journalPriorities_data()
{
    QTest::addColumn<QString>("journal");  // the file JOURNAL_STREAM names, or none of the program's
    QTest::addColumn<QString>("errorPrefix");
    QTest::addColumn<QString>("warningPrefix");
    QTest::addColumn<QString>("eventPrefix");

    QTest::newRow("standard error is the journal") << "stderr.txt" << "<3>" << "<4>" << "";
    QTest::newRow("standard output is the journal") << "stdout.txt" << "" << "" << "<6>";
    QTest::newRow("another stream is the journal") << "other.txt" << "" << "" << "";
}

void TestSelfReport::journalPriorities()
{
    QFETCH(QString, journal);
    QFETCH(QString, errorPrefix);
    QFETCH(QString, warningPrefix);
    QFETCH(QString, eventPrefix);

    HeadlessStation station;
    for (const char* file : {"stderr.txt", "stdout.txt", "other.txt"})
        station.WriteFile(QString::fromLatin1(file), {});
    station.SetEnvironment(QStringLiteral("JOURNAL_STREAM"), StreamName(station.Path(journal)));
    // Channel 1 logs; channel 2's device is missing (a warning); channel 3's settings hold a
    // baud rate beyond the table (an error).
    Pty one, three;
    one.ReleaseSlave();
    three.ReleaseSlave();
    station.WritePortMap({{1, 1}, {2, 2}, {3, 3}},
                         {{1, one.SlavePath()}, {2, station.Path(QStringLiteral("absent"))}, {3, three.SlavePath()}});
    station.SetSetting(QStringLiteral("COM3 Settings/Port"), 3);
    station.SetSetting(QStringLiteral("COM3 Settings/Baud"), 12);
    QVERIFY(station.Start());
    QVERIFY(HeadlessStation::WaitForPeers({&one}));
    QVERIFY(HeadlessStation::SendAlarm(one, 1));
    QTRY_COMPARE_WITH_TIMEOUT(station.OutputLines().size(), 1, 5000);
    QCOMPARE(station.Stop(), 0);

    QVERIFY2(station.OutputLines()[0].startsWith(eventPrefix + QStringLiteral("Channel 1: ")),
             qPrintable(station.OutputLines()[0]));
    const QStringList errors = station.Errors().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(errors.contains(warningPrefix + QStringLiteral("Channel 2: Port COM2 not connected.")),
             qPrintable(station.Errors()));
    QVERIFY2(std::any_of(errors.begin(), errors.end(),
                         [&](const QString& line) {
                             return line.startsWith(errorPrefix + QStringLiteral("Unable to setup configuration for Port COM3"));
                         }),
             qPrintable(station.Errors()));
    // Every line of a stream that is not the journal stays as it was.
    if (errorPrefix.isEmpty()) {
        for (const QString& line : errors)
            QVERIFY2(!line.startsWith(QLatin1Char('<')), qPrintable(line));
    }
}

void TestSelfReport::metricsFile_data()
{
    QTest::addColumn<QVariant>("setting");  // [Metrics] File; invalid: not set
    QTest::addColumn<QString>("file");      // where the figures are, empty: nowhere

    QTest::newRow("default") << QVariant() << "metrics/quorvel.prom";
    QTest::newRow("moved") << QVariant(QStringLiteral("health/north.prom")) << "health/north.prom";
    QTest::newRow("off") << QVariant(QString()) << "";
}

void TestSelfReport::metricsFile()
{
    QFETCH(QVariant, setting);
    QFETCH(QString, file);

    const QString python = PrometheusPython();
    if (python.isEmpty())
        QSKIP("python3-prometheus-client is not installed (scripts/setup.sh installs it)");

    HeadlessStation station;
    if (setting.isValid())
        station.SetSetting(QStringLiteral("Metrics/File"), setting);
    station.SetSetting(QStringLiteral("Channels/1"), QStringLiteral("North Gate, Yard=2"));
    Pty line;
    const qint64 started = QDateTime::currentSecsSinceEpoch();
    QVERIFY(station.StartOnLine(line));
    if (!file.isEmpty())
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(station.Path(file)), 10000);
    // One frame of each kind: acknowledged, refused, and a CRC frame whose check fails.
    QVERIFY(HeadlessStation::SendAlarm(line, 1));
    QVERIFY(line.Write(BlockFrame(QByteArray::fromHex("010204"), true)));
    QCOMPARE(line.Read(SimFrames::TerminalNak().size(), 5000), SimFrames::TerminalNak());
    QVERIFY(line.Write(CrcFrame(QByteArray::fromHex("9200") + "12", true)));
    QTest::qWait(300);
    QCOMPARE(station.Stop(), 0);

    if (file.isEmpty()) {
        QVERIFY(!QFileInfo::exists(station.Path(QStringLiteral("metrics"))));
        return;
    }
    // The last figures, written as the station stopped, read by a real parser of the format.
    const QMap<QString, double> samples = ParseMetrics(python, station.Path(file));
    QVERIFY(!samples.isEmpty());
    const QString channel = QStringLiteral("channel=1,name=North Gate, Yard=2");
    const auto at = [&](const QString& name, const QString& extra = {}) {
        const QString type = name.endsWith(QLatin1String("_total")) ? QStringLiteral("counter") : QStringLiteral("gauge");
        const QString key = QStringLiteral("%1 %2{%3%4}").arg(type, name, channel, extra);
        return samples.contains(key) ? samples[key] : -1.0;
    };
    QCOMPARE(at(QStringLiteral("quorvel_line_up")), 1.0);
    QCOMPARE(at(QStringLiteral("quorvel_frames_total"), QStringLiteral(",result=ack")), 1.0);
    QCOMPARE(at(QStringLiteral("quorvel_frames_total"), QStringLiteral(",result=nak")), 1.0);
    QCOMPARE(at(QStringLiteral("quorvel_frames_total"), QStringLiteral(",result=bad")), 1.0);
    QCOMPARE(at(QStringLiteral("quorvel_records_total")), 1.0);
    QCOMPARE(at(QStringLiteral("quorvel_records_lost_total")), 0.0);
    QCOMPARE(at(QStringLiteral("quorvel_archive_write_errors_total")), 0.0);
    QVERIFY(qAbs(at(QStringLiteral("quorvel_last_frame_timestamp_seconds")) - double(QDateTime::currentSecsSinceEpoch())) < 60);
    const double free = samples.value(QStringLiteral("gauge quorvel_disk_free_ratio{}"), -1);
    QVERIFY2(free > 0 && free <= 1, qPrintable(QString::number(free)));
    QCOMPARE(samples.value(QStringLiteral("counter quorvel_stdout_lines_dropped_total{}"), -1), 0.0);
    QVERIFY(samples.value(QStringLiteral("gauge quorvel_ui_stall_seconds_max{}"), -1) >= 0);
    const double start = samples.value(QStringLiteral("gauge quorvel_start_time_seconds{}"), -1);
    // In seconds with their fraction: the station may have started in the second that is now.
    QVERIFY2(start >= double(started - 1) && start <= double(QDateTime::currentMSecsSinceEpoch()) / 1000.0,
             qPrintable(QString::number(start, 'f', 3)));
    // Only channels with a line are listed.
    QVERIFY(!std::any_of(samples.keyBegin(), samples.keyEnd(),
                         [](const QString& key) { return key.contains(QStringLiteral("channel=2")); }));
    // Written whole through a temporary file: nothing else is left beside it.
    QCOMPARE(QDir(QFileInfo(station.Path(file)).absolutePath()).entryList(QDir::Files),
             QStringList{QFileInfo(file).fileName()});
}

void TestSelfReport::metricsLabelsEscaped()
{
    const QString python = PrometheusPython();
    if (python.isEmpty())
        QSKIP("python3-prometheus-client is not installed (scripts/setup.sh installs it)");
    // A name as a hand edit may leave it: the characters the format escapes come through whole.
    const QString name = QStringLiteral("Gate \"B\" \\ 2");
    StationHealth::Channel(3).assigned = true;
    StationHealth::Channel(3).up = true;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m/quorvel.prom"));
    QCOMPARE(MetricsFile::Write(path, MetricsFile::Text([&](int) { return name; }, dir.path())), QString());
    const QMap<QString, double> samples = ParseMetrics(python, path);
    QCOMPARE(samples.value(QStringLiteral("gauge quorvel_line_up{channel=3,name=") + name + QLatin1Char('}'), -1), 1.0);
    StationHealth::Reset();
}

QTEST_GUILESS_MAIN(TestSelfReport)
#include "tst_selfreport.moc"
