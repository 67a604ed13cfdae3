#include "app/ChannelTables.h"
#include "app/PortMap.h"
#include "comms/ComPortDevices.h"
#include "core/SettingsStore.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QSettings>
#include <QtTest>

// The station's own files as the program reads them at start: the port map and the channel names.
class TestStationSetup : public QObject
{
    Q_OBJECT

private slots:
    void portAssignmentValue_data();
    void portAssignmentValue();
    void portMapFile();
    void missingPortMap();
    void channelNames_data();
    void channelNames();
    void duplicateNames_data();
    void duplicateNames();
    void handWrittenNames_data();
    void handWrittenNames();

private:
    static QStringList LoadedNames();  // the sixteen names after LoadChannelNames
    static QStringList StoredNames(const TestStation& station);  // as the store's file holds them
};

void TestStationSetup::portAssignmentValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("port");
    QTest::newRow("COM7") << "COM7" << 7;
    QTest::newRow("lower case") << "com7" << 7;
    QTest::newRow("any prefix") << "ABC7" << 7;
    QTest::newRow("two digits") << "COM12" << 12;
    QTest::newRow("five characters count") << "COM100" << 10;
    QTest::newRow("zero") << "COM0" << 0;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("letters") << "COMA" << 0;
    QTest::newRow("negative") << "COM-2" << 0;
    QTest::newRow("three characters or fewer") << "7" << 0;
    QTest::newRow("blank before digits") << "COM 5" << 5;
    QTest::newRow("digits then junk") << "COM5x" << 5;
}

void TestStationSetup::portAssignmentValue()
{
    QFETCH(QString, value);
    QFETCH(int, port);
    QCOMPARE(ParsePortAssignment(value), port);
}

void TestStationSetup::portMapFile()
{
    TestStation station;
    QByteArray map = "; station wiring\r\n[comportassignments]\r\n";
    for (int channel = 1; channel <= 15; ++channel)
        map += QByteArray("  channel") + QByteArray::number(channel) + " = \"COM" + QByteArray::number(channel + 2) + "\"\r\n";
    map += "[ComPortDevices]\nCOM3 = /dev/ttyUSB0\n";
    station.WriteFile(QStringLiteral("qvportmap.ini"), map);

    QCOMPARE(ReadPortMap(station.Path(QStringLiteral("qvportmap.ini"))), 15);
    QCOMPARE(GetChannelPort(1), 3);
    QCOMPARE(GetChannelPort(15), 17);
    QCOMPARE(GetChannelPort(16), 0);
    QCOMPARE(GetChannelPort(17), 0);
    QCOMPARE(ComPortDevices::DevicePath(3), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(ComPortDevices::DevicePath(4), QStringLiteral("/dev/ttyS3"));
}

void TestStationSetup::missingPortMap()
{
    TestStation station;
    SetChannelPort(5, 9);
    QCOMPARE(ReadPortMap(station.Path(QStringLiteral("qvportmap.ini"))), 0);
    for (int channel = 1; channel <= kChannelCount; ++channel)
        QCOMPARE(GetChannelPort(channel), 0);
}

void TestStationSetup::channelNames_data()
{
    QTest::addColumn<QString>("stored");   // null: nothing stored
    QTest::addColumn<QString>("name");
    QTest::newRow("absent") << QString() << "Channel 3";
    QTest::newRow("empty") << "" << "Channel 3";
    QTest::newRow("named") << "North Gate" << "North Gate";
    QTest::newRow("slash") << "../../etc/x" << "Channel 3";
    QTest::newRow("backslash") << "a\\b" << "Channel 3";
    for (const char* c : {":", "*", "?", "\"", "<", ">", "|"})
        QTest::newRow(c) << QStringLiteral("Gate%1").arg(QLatin1String(c)) << "Channel 3";
}

void TestStationSetup::channelNames()
{
    QFETCH(QString, stored);
    QFETCH(QString, name);
    TestStation station;
    if (!stored.isNull())
        WriteProfileString(QStringLiteral("Channels"), QStringLiteral("3"), stored);

    LoadChannelNames();
    QString loaded;
    QCOMPARE(GetChannelName(2, loaded), 1);
    QCOMPARE(loaded, name);
    QCOMPARE(GetChannelName(16, loaded), 0);
    // The defaults are written back, so the store names every channel after a first run.
    ProfileStore().sync();
    QSettings file(station.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("Channels/3")).toString(), name);
    QCOMPARE(file.value(QStringLiteral("Channels/16")).toString(), QStringLiteral("Channel 16"));
}

QStringList TestStationSetup::LoadedNames()
{
    LoadChannelNames();
    QStringList names;
    for (int i = 0; i < kChannelCount; ++i) {
        QString name;
        GetChannelName(i, name);
        names.append(name);
    }
    return names;
}

QStringList TestStationSetup::StoredNames(const TestStation& station)
{
    ProfileStore().sync();
    QSettings file(station.SettingsFile(), QSettings::IniFormat);
    QStringList names;
    for (int n = 1; n <= kChannelCount; ++n)
        names.append(file.value(QStringLiteral("Channels/%1").arg(n)).toString());
    return names;
}

void TestStationSetup::duplicateNames_data()
{
    QTest::addColumn<QByteArray>("channels");   // the section as typed into the settings file
    QTest::addColumn<QStringList>("expected");  // "n=name" for the channels that matter
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("differing in case")
        << QByteArray("2=Gate\n3=GATE\n") << QStringList{"2=Gate", "3=Channel 3"}
        << QStringList{"Channel 3 had the name \"GATE\" of channel 2 and is now called \"Channel 3\"."};
    QTest::newRow("three equal names")
        << QByteArray("2=Gate\n3=gate\n4=Gate\n") << QStringList{"2=Gate", "3=Channel 3", "4=Channel 4"}
        << QStringList{"Channel 3 had the name \"gate\" of channel 2 and is now called \"Channel 3\".",
                       "Channel 4 had the name \"Gate\" of channel 2 and is now called \"Channel 4\"."};
    QTest::newRow("a default name taken by hand")
        << QByteArray("2=Channel 3\n") << QStringList{"2=Channel 3", "3=Channel 3 (2)"}
        << QStringList{"Channel 3 had the name \"Channel 3\" of channel 2 and is now called \"Channel 3 (2)\"."};
    QTest::newRow("default taken by a later channel")
        << QByteArray("2=Gate\n3=Gate\n7=channel 3\n") << QStringList{"2=Gate", "3=Channel 3 (2)", "7=channel 3"}
        << QStringList{"Channel 3 had the name \"Gate\" of channel 2 and is now called \"Channel 3 (2)\"."};
    QTest::newRow("numbered default taken too")
        << QByteArray("1=Gate\n3=gate\n5=Channel 3\n6=CHANNEL 3 (2)\n")
        << QStringList{"1=Gate", "3=Channel 3 (3)", "5=Channel 3", "6=CHANNEL 3 (2)"}
        << QStringList{"Channel 3 had the name \"gate\" of channel 1 and is now called \"Channel 3 (3)\"."};
    QTest::newRow("names written with commas")
        << QByteArray("2=North, Gate\n3=north, gate\n") << QStringList{"2=North, Gate", "3=Channel 3"}
        << QStringList{"Channel 3 had the name \"north, gate\" of channel 2 and is now called \"Channel 3\"."};
    QTest::newRow("differing in blanks around")
        << QByteArray("2=Gate\n3=\"  gate \"\n") << QStringList{"2=Gate", "3=Channel 3"}
        << QStringList{"Channel 3 had the name \"  gate \" of channel 2 and is now called \"Channel 3\"."};
    QTest::newRow("no duplicates") << QByteArray("2=Gate\n3=Gate 2\n16=Channel 17\n")
                                   << QStringList{"2=Gate", "3=Gate 2", "16=Channel 17"} << QStringList{};
}

void TestStationSetup::duplicateNames()
{
    QFETCH(QByteArray, channels);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, notices);
    TestStation station;
    ScriptedMessages messages;
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Channels]\n" + channels);

    const QStringList names = LoadedNames();
    QSet<QString> different;
    for (const QString& name : names)
        different.insert(name.toUpper());
    QCOMPARE(different.size(), kChannelCount);
    for (const QString& entry : expected) {
        const int channel = entry.section(QLatin1Char('='), 0, 0).toInt();
        QCOMPARE(names[channel - 1], entry.section(QLatin1Char('='), 1));
    }
    QCOMPARE(messages.texts, notices);
    QCOMPARE(StoredNames(station), names);
}

void TestStationSetup::handWrittenNames_data()
{
    QTest::addColumn<QByteArray>("typed");  // the value of "1=" as typed into the settings file
    QTest::addColumn<QString>("name");
    QTest::newRow("comma and blank") << QByteArray("North, Gate") << "North, Gate";
    QTest::newRow("comma alone") << QByteArray("North,Gate") << "North,Gate";
    QTest::newRow("blanks around the value") << QByteArray("  North,  Gate  ") << "North,  Gate";
    QTest::newRow("several commas") << QByteArray("A, B, C") << "A, B, C";
    QTest::newRow("trailing comma") << QByteArray("Gate,") << "Gate,";
    QTest::newRow("semicolon") << QByteArray("North; Gate") << "North; Gate";
    QTest::newRow("not Latin-1") << QByteArray("S\xc3\xbc" "d, \xc5\x81\xc3\xb3" "d\xc5\xba") << QString::fromUtf8("S\u00fcd, \u0141\u00f3d\u017a");
    QTest::newRow("quoted, as the store writes it") << QByteArray("\"North, Gate\"") << "North, Gate";
    QTest::newRow("plain") << QByteArray("North Gate") << "North Gate";
    QTest::newRow("quotes inside: unusable") << QByteArray("North, \"Gate\"") << "Channel 1";
}

void TestStationSetup::handWrittenNames()
{
    QFETCH(QByteArray, typed);
    QFETCH(QString, name);
    TestStation station;
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Channels]\r\n1=" + typed + "\r\n");

    QCOMPARE(LoadedNames().at(0), name);
    QCOMPARE(StoredNames(station).at(0), name);
    // Read again from the file as the store left it: the same text.
    ResetProfileStore();
    QCOMPARE(ReadChannelName(0), name);
}

QTEST_GUILESS_MAIN(TestStationSetup)
#include "tst_stationsetup.moc"
