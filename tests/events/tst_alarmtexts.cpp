#include "core/SettingsKeys.h"
#include "events/AlarmTexts.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QTest>

class TestAlarmTexts : public QObject
{
    Q_OBJECT
private slots:
    void markers_data();
    void markers();
    void lookupCountsFromLastMarker();
    void lineEnds();
    void lineStateNames_data();
    void lineStateNames();
    void missingFile();
};

namespace {
const QByteArray kHeader(Str::kAlarmFileHeader);
const QByteArray kMarker(Str::kAlarmFileEndOfHeader);
}

void TestAlarmTexts::markers_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("result");
    QTest::newRow("both, marker last") << kHeader + "\n" + kMarker << 1;
    QTest::newRow("both, marker first") << kMarker + "\r\n" + kHeader + "\r\n" << 1;
    QTest::newRow("no marker") << kHeader + "\nx\n" << 0;
    QTest::newRow("no header") << "x\n" + kMarker + "\n" << 0;
    QTest::newRow("marker with trailing blank") << kHeader + "\n" + kMarker + " \n" << 0;
    QTest::newRow("header in lower case") << kHeader.toLower() + "\n" + kMarker + "\n" << 0;
    QTest::newRow("header with trailing blank") << kHeader + " \n" + kMarker + "\n" << 0;
    QTest::newRow("empty file") << QByteArray() << 0;
}

void TestAlarmTexts::markers()
{
    QFETCH(QByteArray, file);
    QFETCH(int, result);
    TestStation station;
    ScriptedMessages messages;
    station.WriteFile(QString::fromLatin1(Str::kAlarmFileName), file);
    QCOMPARE(LoadAlarmTexts(), result);
    if (result) {
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(GetAlarmField(0, 1), QByteArray());  // the marker is the last line: every field empty
    } else {
        const QString path = station.Path(QString::fromLatin1(Str::kAlarmFileName));
        QCOMPARE(messages.texts, QStringList{QStringLiteral("Fatal Error:  text file \"%1\" is invalid").arg(path)});
        QCOMPARE(messages.icons.value(0), IUserMessages::Icon::None);
    }
}

void TestAlarmTexts::lookupCountsFromLastMarker()
{
    TestStation station;
    ScriptedMessages messages;
    // Marker at index 10 and again at 20: blocks start at 22 (index 21 is never read).
    QByteArrayList lines;
    for (int i = 0; i < 60; ++i)
        lines.append("line " + QByteArray::number(i));
    lines[1] = kHeader;
    lines[10] = kMarker;
    station.WriteFile(QString::fromLatin1(Str::kAlarmFileName), lines.join('\n'));
    QCOMPARE(LoadAlarmTexts(), 1);
    lines[20] = kMarker;
    station.WriteFile(QString::fromLatin1(Str::kAlarmFileName), lines.join('\n'));
    QCOMPARE(LoadAlarmTexts(), 1);
    QCOMPARE(GetAlarmField(0, 1), QByteArray("line 23"));
    QCOMPARE(GetAlarmField(1, 1), QByteArray("line 31"));
    QCOMPARE(GetAlarmField(4, 5), QByteArray("line 59"));
    QCOMPARE(GetAlarmField(4, 6), QByteArray());
    QCOMPARE(GetAlarmField(255, 7), QByteArray());
}

void TestAlarmTexts::lineEnds()
{
    TestStation station;
    ScriptedMessages messages;
    // CRLF and LF end lines; a lone CR is part of the line; a last line without an end counts.
    station.WriteFile(QString::fromLatin1(Str::kAlarmFileName),
                      kHeader + "\r\n" + kMarker + "\n-\r\nEVENT\r\nY\rZ\n \t+12x\nALM_LINE_IDLE\nDesc\xe9");
    QCOMPARE(LoadAlarmTexts(), 1);
    QCOMPARE(GetAlarmField(0, 1), QByteArray("Y\rZ"));
    QCOMPARE(GetAlarmField(0, 0), QByteArray("EVENT"));
    QCOMPARE(GetAlarmField(0, 4), QByteArray("Desc\xe9"));
}

void TestAlarmTexts::lineStateNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("lineState");
    const char* names[] = {"ALM_CONNECT_REQUEST_CH1", "ALM_CONNECT_REQUEST_CH2", "ALM_DISCONNECT_REQUEST_CH1",
                           "ALM_DISCONNECT_REQUEST_CH2", "ALM_LINE_IDLE", "ALM_LINE_INCOMING",
                           "ALM_LINE_EMERGENCY_INCOMING", "ALM_LINE_CONNECTED_CH1", "ALM_LINE_CONNECTED_CH2",
                           "ALM_LINE_PARKED", "ALM_LINE_HELD", "ALM_LINE_ANSWERED"};
    for (const char* name : names)
        QTest::newRow(name) << QByteArray(name) << 1;
    QTest::newRow("lower case") << QByteArray("alm_line_idle") << 0;
    QTest::newRow("trailing blank") << QByteArray("ALM_LINE_IDLE ") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestAlarmTexts::lineStateNames()
{
    QFETCH(QByteArray, name);
    QFETCH(int, lineState);
    TestStation station;
    ScriptedMessages messages;
    QVERIFY(LoadAlarmFixture({{3, {"EVENT", "Y", "0", name, "Line"}}}));
    QCOMPARE(IsLineStateAlarm(3), lineState);
    QCOMPARE(IsLineStateAlarm(2), 0);
    QCOMPARE(IsLineStateAlarm(200), 0);
}

void TestAlarmTexts::missingFile()
{
    TestStation station;
    ScriptedMessages messages;
    QCOMPARE(LoadAlarmTexts(), 0);
    QCOMPARE(messages.texts,
             QStringList{QStringLiteral("Fatal error. Unable to load file ") + station.Path(QStringLiteral("almdata.txt"))});
}

QTEST_GUILESS_MAIN(TestAlarmTexts)
#include "tst_alarmtexts.moc"
