#include "comms/PortSettings.h"
#include "core/SettingsStore.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QSettings>
#include <QtTest>

using Record = QMap<QString, QString>;  // the stored record as typed into the settings file, by key
Q_DECLARE_METATYPE(RemoteMonitorSettings)

namespace {

const QStringList kKeys{"EnableDisable", "Port", "BaudRate", "DataBits", "Parity", "StopBits", "FlowControl"};
const QString kRestart = QStringLiteral("The application must be restarted to take effect.");

void StoreRecord(const TestStation& station, const Record& record)
{
    QByteArray text = "[RemoteMonitorSettings]\n";
    for (auto it = record.begin(); it != record.end(); ++it)
        text += it.key().toLatin1() + '=' + it.value().toLatin1() + '\n';
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), record.isEmpty() ? QByteArray() : text);
    ResetProfileStore();
}

// The seven values stored now, in the record's order; "missing" for a key not stored.
QStringList StoredValues()
{
    QStringList values;
    for (const QString& key : kKeys)
        values << ProfileStore().value(QStringLiteral("RemoteMonitorSettings/") + key, QStringLiteral("missing")).toString();
    return values;
}

QList<int> Values(const RemoteMonitorSettings& s)
{
    return {s.enabled, s.port, s.baud, s.dataBits, s.parity, s.stopBits, s.flowControl};
}

} // namespace

// The remote monitoring record as the dialog's caller loads it, and what storing a confirmed
// choice does to the record and the monitor's port.
class TestRemoteSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SharedRemotePort().Close(0); }

    void loadsTheRecord_data();
    void loadsTheRecord();
    void applyStoresAndTakesEffect_data();
    void applyStoresAndTakesEffect();
};

void TestRemoteSettings::loadsTheRecord_data()
{
    QTest::addColumn<Record>("record");
    QTest::addColumn<QList<int>>("values");  // in the record's order

    QTest::newRow("no record") << Record{} << QList<int>{0, 0, 5, 3, 0, 0, 0};
    QTest::newRow("complete") << Record{{"EnableDisable", "1"}, {"Port", "17"}, {"BaudRate", "11"}, {"DataBits", "3"},
                                        {"Parity", "4"}, {"StopBits", "2"}, {"FlowControl", "2"}}
                              << QList<int>{1, 17, 11, 3, 4, 2, 2};
    QTest::newRow("enable edited to 2") << Record{{"EnableDisable", "2"}, {"Port", "5"}, {"BaudRate", "5"},
                                                  {"DataBits", "3"}, {"Parity", "0"}, {"StopBits", "0"},
                                                  {"FlowControl", "0"}}
                                        << QList<int>{2, 5, 5, 3, 0, 0, 0};
    QTest::newRow("on, keys missing") << Record{{"EnableDisable", "1"}} << QList<int>{1, -1, -1, -1, -1, -1, -1};
    QTest::newRow("on, not numbers")
        << Record{{"EnableDisable", "1"}, {"Port", "COM5"}, {"BaudRate", "fast"}, {"DataBits", "3"},
                  {"Parity", "0"}, {"StopBits", "4294967296"}, {"FlowControl", "0"}}
        << QList<int>{1, -1, -1, 3, 0, -1, 0};
}

void TestRemoteSettings::loadsTheRecord()
{
    QFETCH(Record, record);
    QFETCH(QList<int>, values);
    TestStation station;
    StoreRecord(station, record);
    g_nRemoteMonitorEnabled = 7;
    QCOMPARE(Values(LoadRemoteSettings()), values);
    QCOMPARE(g_nRemoteMonitorEnabled.load(), values.first());
}

void TestRemoteSettings::applyStoresAndTakesEffect_data()
{
    // The record stored before: on, COM5, 9600 baud, 8 data bits, no parity, one stop bit, no flow control.
    QTest::addColumn<bool>("openBefore");
    QTest::addColumn<RemoteMonitorSettings>("settings");
    QTest::addColumn<bool>("openAfter");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<bool>("restartMessage");

    const RemoteMonitorSettings kept{1, 5, 5, 3, 0, 0, 0};
    const QStringList keptText{"1", "5", "5", "3", "0", "0", "0"};
    QTest::newRow("open, switched off") << true << RemoteMonitorSettings{0, 5, 5, 3, 0, 0, 0} << false
                                        << QStringList{"0", "5", "5", "3", "0", "0", "0"} << false;
    QTest::newRow("open, unchanged") << true << kept << true << keptText << false;
    // New line settings wait for the next start.
    QTest::newRow("open, baud changed") << true << RemoteMonitorSettings{1, 5, 0, 3, 0, 0, 0} << true
                                        << QStringList{"1", "5", "0", "3", "0", "0", "0"} << false;
    QTest::newRow("not open, unchanged") << false << kept << false << keptText << true;
    QTest::newRow("not open, on, no port chosen") << false << RemoteMonitorSettings{1, 0, 5, 3, 0, 0, 0} << false
                                                  << QStringList{"1", "0", "5", "3", "0", "0", "0"} << true;
    QTest::newRow("not open, off, lists never filled")
        << false << RemoteMonitorSettings{0, 0, -1, -1, -1, -1, -1} << false
        << QStringList{"0", "0", "-1", "-1", "-1", "-1", "-1"} << false;
    QTest::newRow("enable edited to 2") << false << RemoteMonitorSettings{2, 5, 5, 3, 0, 0, 0} << false
                                        << QStringList{"2", "5", "5", "3", "0", "0", "0"} << true;
}

void TestRemoteSettings::applyStoresAndTakesEffect()
{
    QFETCH(bool, openBefore);
    QFETCH(RemoteMonitorSettings, settings);
    QFETCH(bool, openAfter);
    QFETCH(QStringList, stored);
    QFETCH(bool, restartMessage);
    TestStation station;
    StoreRecord(station, {{"EnableDisable", "1"}, {"Port", "5"}, {"BaudRate", "5"}, {"DataBits", "3"},
                          {"Parity", "0"}, {"StopBits", "0"}, {"FlowControl", "0"}});
    ScriptedMessages messages;
    Pty monitor;
    monitor.ReleaseSlave();
    if (openBefore)
        QCOMPARE(SharedRemotePort().Open(monitor.SlavePath(), LineSettings{}), 0);

    ApplyRemoteSettings(settings);
    // At once: no waiting for the port to close.
    QCOMPARE(SharedRemotePort().IsOpen(), openAfter);
    QCOMPARE(monitor.PeerOpen(), openAfter);
    QCOMPARE(StoredValues(), stored);
    QCOMPARE(g_nRemoteMonitorEnabled.load(), settings.enabled);
    QCOMPARE(messages.texts, restartMessage ? QStringList{kRestart} : QStringList());
}

QTEST_GUILESS_MAIN(TestRemoteSettings)
#include "tst_remotesettings.moc"
