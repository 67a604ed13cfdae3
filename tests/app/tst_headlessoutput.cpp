#include "app/HeadlessConsole.h"
#include "app/OutputQueue.h"
#include "core/Strings.h"
#include "tests/app/HeadlessStation.h"
#include "tests/support/Pty.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QtTest>

using SimFrames::CrcFrame;

namespace {

// A text alarm (type 148) with its number, listed as a line of about 130 bytes.
QByteArray NumberedAlarm(int i)
{
    return "Alarm " + QByteArray::number(i).rightJustified(5, '0') + ' ' + QByteArray(88, 'x');
}

// Sends alarms first..first + count - 1 in block-check frames, which are acknowledged, and is
// true when each is. They go kFramesAtOnce at a time, about 3 KB, which a terminal's input holds.
bool SendNumberedAlarms(Pty& line, int first, int count)
{
    constexpr int kFramesAtOnce = 30;
    for (int batch = first; batch < first + count; batch += kFramesAtOnce) {
        QByteArrayList frames;
        for (int i = batch; i < qMin(batch + kFramesAtOnce, first + count); ++i)
            frames.append(SimFrames::BlockFrame(QByteArray::fromHex("9400") + NumberedAlarm(i), false));
        if (!HeadlessStation::SendFrames(line, frames))
            return false;
    }
    return true;
}

} // namespace

// What a headless station writes on standard output, and what happens when nobody reads it.
class TestHeadlessOutput : public QObject
{
    Q_OBJECT

private slots:
    void printableText_data();
    void printableText();
    void printableTitle_data();
    void printableTitle();
    void recordStaysOnOneLine();
    void closedOutputDoesNotStopLogging();
    void stalledOutputHoldsNoLine();
};

void TestHeadlessOutput::printableText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("plain") << QByteArray("Door open 17") << QByteArray("Door open 17");
    QTest::newRow("line feed") << QByteArray("a\nChannel 2: b") << QByteArray("a?Channel 2: b");
    QTest::newRow("carriage return") << QByteArray("a\rb") << QByteArray("a?b");
    QTest::newRow("CR LF") << QByteArray("a\r\n") << QByteArray("a??");
    QTest::newRow("tab") << QByteArray("a\tb") << QByteArray("a?b");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << QByteArray("a?b");
    QTest::newRow("escape sequence") << QByteArray("\x1b[2Jx") << QByteArray("?[2Jx");
    QTest::newRow("delete") << QByteArray("a\x7f") << QByteArray("a?");
    QTest::newRow("C1 control (CSI)") << QByteArray("\x9b" "31m") << QByteArray("?31m");
    QTest::newRow("C1 range ends") << QByteArray("\x80\x9f") << QByteArray("??");
    QTest::newRow("Latin-1 letters kept") << QByteArray("Caf\xe9 \xa0\xff") << QByteArray("Caf\xe9 \xa0\xff");
}

void TestHeadlessOutput::printableText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, printed);
    QCOMPARE(HeadlessConsole::PrintableText(text), printed);
}

void TestHeadlessOutput::printableTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("printed");
    QTest::newRow("plain") << QStringLiteral("North Gate") << QStringLiteral("North Gate");
    QTest::newRow("delete") << QStringLiteral("Gate\x7f") << QStringLiteral("Gate?");
    QTest::newRow("next line (C1)") << QStringLiteral("Gate\u0085Channel 2") << QStringLiteral("Gate?Channel 2");
    QTest::newRow("C1 control (CSI)") << QStringLiteral("\u009b31mGate") << QStringLiteral("?31mGate");
    QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029c") << QStringLiteral("a?b?c");
    QTest::newRow("letters of any script kept") << QStringLiteral("Tor Süd \u5317\u95e8")
                                                << QStringLiteral("Tor Süd \u5317\u95e8");
}

void TestHeadlessOutput::printableTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, printed);
    QCOMPARE(HeadlessConsole::PrintableTitle(title), printed);
}

void TestHeadlessOutput::recordStaysOnOneLine()
{
    HeadlessStation station;
    Pty one;
    QVERIFY(station.StartOnLine(one));

    // Text alarms (type 148) whose text tries to end the line and forge one of another channel.
    const QByteArray forged = "x\nChannel 2: 12:00:00 Alarm: forged\r\t\x1b[2J\x7f";
    QVERIFY(one.Write(CrcFrame(QByteArray::fromHex("9400") + forged, false)));
    QVERIFY(one.Write(CrcFrame(QByteArray::fromHex("9400") + "after", false)));
    QTRY_COMPARE_WITH_TIMEOUT(station.LinesOf(QStringLiteral("Channel 1")).size(), 2, 10000);
    const QStringList lines = station.LinesOf(QStringLiteral("Channel 1"));
    QVERIFY2(lines[0].endsWith(QStringLiteral(" Alarm: x?Channel 2: 12:00:00 Alarm: forged???[2J?")),
             qPrintable(lines[0]));
    QVERIFY(lines[1].endsWith(QStringLiteral(" Alarm: after")));
    QCOMPARE(station.OutputLines().size(), 2);

    QCOMPARE(station.Stop(), 0);
    const auto records = station.ArchiveRecords(QStringLiteral("Channel 1"));
    QCOMPARE(records.size(), 2);
    QVERIFY(records[0].second.endsWith(" Alarm: " + forged));  // the archive keeps the bytes as sent
}

void TestHeadlessOutput::closedOutputDoesNotStopLogging()
{
    HeadlessStation station;
    Pty one;
    QVERIFY(station.StartOnLine(one, HeadlessStation::Output::ClosedPipe));

    // Each alarm is acknowledged, listed (into the closed pipe) and archived.
    const int count = 5;
    for (int i = 0; i < count; ++i)
        QVERIFY(HeadlessStation::SendAlarm(one, i));
    QCOMPARE(station.Stop(), 0);
    QCOMPARE(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), count);
}

void TestHeadlessOutput::stalledOutputHoldsNoLine()
{
    HeadlessStation station;
    Pty one;
    QVERIFY(station.StartOnLine(one, HeadlessStation::Output::StalledPipe));

    // Nobody reads: far more lines than the program holds for a reader and the pipe together.
    // Each alarm is acknowledged and archived all the same.
    const int flood = int(OutputQueue::kDefaultBoundBytes / 100);
    QVERIFY(SendNumberedAlarms(one, 0, flood));
    QTRY_COMPARE_WITH_TIMEOUT(station.ArchiveRecords(QStringLiteral("Channel 1")).size(), flood, 60000);

    // Read again: one line in place of those that did not fit, then lines as they come.
    station.ReadOutput(true);
    const auto lastLine = [&station] {
        const QStringList lines = station.OutputLines();
        return lines.isEmpty() ? QString() : lines.last();
    };
    const QString notPrinted = QString::fromLatin1(Str::kEventLinesNotPrinted).arg(QString());
    QTRY_VERIFY_WITH_TIMEOUT(lastLine().endsWith(notPrinted), 30000);
    QVERIFY(SendNumberedAlarms(one, flood, 1));
    QTRY_VERIFY_WITH_TIMEOUT(lastLine().endsWith(QLatin1String(NumberedAlarm(flood))), 30000);
    QStringList output = station.OutputLines();
    output.removeLast();
    const QString notice = output.takeLast();
    QCOMPARE(notice, QString::fromLatin1(Str::kEventLinesNotPrinted).arg(flood - output.size()));
    for (int i = 0; i < output.size(); ++i) {
        QVERIFY2(output[i].startsWith(QStringLiteral("Channel 1: "))
                     && output[i].endsWith(QLatin1String(" Alarm: " + NumberedAlarm(i))),
                 qPrintable(output[i]));
    }

    // Nobody reads again: the pipe fills and holds the program's writer; a SIGTERM ends it all the same.
    station.ReadOutput(false);
    const int total = flood + 201;
    QVERIFY(SendNumberedAlarms(one, flood + 1, total - flood - 1));
    QElapsedTimer stopping;
    stopping.start();
    QCOMPARE(station.Stop(), 0);
    QVERIFY2(stopping.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(stopping.elapsed())));

    const auto records = station.ArchiveRecords(QStringLiteral("Channel 1"));
    QCOMPARE(records.size(), total);
    for (int i = 0; i < total; ++i)
        QVERIFY2(records[i].second.endsWith(" Alarm: " + NumberedAlarm(i)), records[i].second.constData());
}

QTEST_GUILESS_MAIN(TestHeadlessOutput)
#include "tst_headlessoutput.moc"
