#include "app/ChannelTables.h"
#include "app/PortMap.h"
#include "comms/ComPortDevices.h"
#include "core/SettingsStore.h"
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

QTEST_GUILESS_MAIN(TestStationSetup)
#include "tst_stationsetup.moc"
