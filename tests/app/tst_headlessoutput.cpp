#include "app/HeadlessConsole.h"
#include "tests/app/HeadlessStation.h"
#include "tests/support/Pty.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QtTest>

using SimFrames::CrcFrame;

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
    QCOMPARE(CHeadlessConsole::PrintableText(text), printed);
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
    QCOMPARE(CHeadlessConsole::PrintableTitle(title), printed);
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

QTEST_GUILESS_MAIN(TestHeadlessOutput)
#include "tst_headlessoutput.moc"
