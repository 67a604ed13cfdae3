#include "comms/ComPortDevices.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "remote/RemoteStartup.h"
#include "tests/support/PortHolder.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QFile>
#include <QSerialPort>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>

using Values = QMap<QString, int>;
Q_DECLARE_METATYPE(Values)

// The settings record, the list of free ports and the opening of the monitor port, on real
// pseudo-terminals standing for COM ports.
class RemoteSetupTest : public QObject
{
    Q_OBJECT

private:
    static constexpr int kMonitorCom = 5;

    static void Store(const Values& values)
    {
        for (auto it = values.begin(); it != values.end(); ++it)
            WriteProfileInt(QString::fromLatin1(Str::kRemoteSection), it.key(), it.value());
    }

    static Values Complete(int enabled)
    {
        return {{"EnableDisable", enabled}, {"Port", kMonitorCom}, {"BaudRate", 11}, {"DataBits", 3},
                {"Parity", 0},          {"StopBits", 0},         {"FlowControl", 1}};
    }

    static Values Without(Values values, const QString& key)
    {
        values.remove(key);
        return values;
    }

    // The start-up box for a monitor port that cannot be opened; "<device>" stands for the test's line.
    static QString OpenFailed(int port, int error, const QString& device = QStringLiteral("<device>"))
    {
        return QString::fromLatin1(Str::kRemotePortOpenFailed)
            .arg(port)
            .arg(device, QString::fromLocal8Bit(std::strerror(error)));
    }

private slots:
    void cleanup()
    {
        SharedRemotePort().Close(0);
        ComPortDevices::Clear();
    }

    void missingRecordReadsDefaults()
    {
        TestStation station;
        g_nRemoteMonitorEnabled = 1;
        int v[7] = {-9, -9, -9, -9, -9, -9, -9};
        QCOMPARE(ReadRemoteSettings(v[0], v[1], v[2], v[3], v[4], v[5], v[6]), 0);
        QCOMPARE(QList<int>(v, v + 7), (QList<int>{0, 0, 5, 3, 0, 0, 0}));
        QCOMPARE(g_nRemoteMonitorEnabled, 0);
        QCOMPARE(IsRemoteConfigured(), 0);
    }

    void writtenRecordReadsBack()
    {
        TestStation station;
        QCOMPARE(WriteRemoteSettings(1, 7, 11, 2, 4, 2, 2), 1);
        QCOMPARE(g_nRemoteMonitorEnabled, 1);
        g_nRemoteMonitorEnabled = 0;
        int v[7] = {};
        QCOMPARE(ReadRemoteSettings(v[0], v[1], v[2], v[3], v[4], v[5], v[6]), 1);
        QCOMPARE(QList<int>(v, v + 7), (QList<int>{1, 7, 11, 2, 4, 2, 2}));
        QCOMPARE(g_nRemoteMonitorEnabled, 1);
        QCOMPARE(IsRemoteConfigured(), 1);
    }

    void openRemotePort_data()
    {
        QTest::addColumn<Values>("record");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QString>("message");  // the one box shown, if any

        QTest::newRow("missing record") << Values{} << 0
                                        << QString::fromLatin1(Str::kRemoteSettingsMissing);
        QTest::newRow("switched off") << Complete(0) << 0 << QString();
        QTest::newRow("complete") << Complete(1) << 1 << QString();
        QTest::newRow("port missing") << Without(Complete(1), "Port") << 0 << QString::fromLatin1(Str::kRemotePortNotSet);
        QTest::newRow("baud index missing") << Without(Complete(1), "BaudRate") << 0 << OpenFailed(kMonitorCom, EINVAL);
        QTest::newRow("stop index missing") << Without(Complete(1), "StopBits") << 0 << OpenFailed(kMonitorCom, EINVAL);
        Values outOfTable = Complete(1);
        outOfTable["Parity"] = 5;
        QTest::newRow("parity beyond the table") << outOfTable << 0 << OpenFailed(kMonitorCom, EINVAL);
        Values elsewhere = Complete(1);
        elsewhere["Port"] = kMonitorCom + 1;
        QTest::newRow("port with no device") << elsewhere << 0
                                             << OpenFailed(kMonitorCom + 1, ENOENT, "/nonexistent/ttyMonitor");
    }

    void openRemotePort()
    {
        QFETCH(Values, record);
        QFETCH(int, opened);
        QFETCH(QString, message);
        TestStation station;
        ScriptedMessages messages;
        Pty line;
        ComPortDevices::Set(kMonitorCom, line.SlavePath());
        ComPortDevices::Set(kMonitorCom + 1, QStringLiteral("/nonexistent/ttyMonitor"));
        Store(record);

        QCOMPARE(OpenRemotePort(), opened);
        QCOMPARE(SharedRemotePort().IsOpen(), bool(opened));
        message.replace(QStringLiteral("<device>"), line.SlavePath());
        QCOMPARE(messages.texts, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(messages.beeps.isEmpty(), message.isEmpty());
        if (!opened) {
            // A rejected record leaves the device free.
            QSerialPort free(line.SlavePath());
            QVERIFY(free.open(QIODevice::ReadWrite));
        }
    }

    void recordAsText_data()
    {
        // One value of a complete record (port COM5, 256000 baud) as typed into the settings file.
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("configured");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QString>("message");

        const QString invalid = OpenFailed(kMonitorCom, EINVAL);
        QTest::newRow("baud abc") << QByteArray("BaudRate=abc") << 1 << 0 << invalid;
        QTest::newRow("baud 2^32+5") << QByteArray("BaudRate=4294967301") << 1 << 0 << invalid;
        QTest::newRow("data -1") << QByteArray("DataBits=-1") << 1 << 0 << invalid;
        QTest::newRow("baud quoted with blanks") << QByteArray("BaudRate=\" 11 \"") << 1 << 1 << QString();
        QTest::newRow("port 2^32+5") << QByteArray("Port=4294967301") << 1 << 0 << QString::fromLatin1(Str::kRemotePortNotSet);
        QTest::newRow("enable abc: stored but unreadable") << QByteArray("EnableDisable=abc") << 1 << 0
                                                          << QString::fromLatin1(Str::kRemoteSettingsMissing);
    }

    void recordAsText()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, configured);
        QFETCH(int, opened);
        QFETCH(QString, message);
        TestStation station;
        ScriptedMessages messages;
        Pty monitor;
        ComPortDevices::Set(kMonitorCom, monitor.SlavePath());
        const QByteArray key = line.left(line.indexOf('=') + 1);
        QByteArray record = "[RemoteMonitorSettings]\n" + line + '\n';
        const Values complete = Complete(1);
        for (auto it = complete.begin(); it != complete.end(); ++it) {
            if (it.key().toLatin1() + '=' != key)
                record += it.key().toLatin1() + '=' + QByteArray::number(it.value()) + '\n';
        }
        station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), record);
        ResetProfileStore();

        QCOMPARE(IsRemoteConfigured(), configured);
        QCOMPARE(OpenRemotePort(), opened);
        message.replace(QStringLiteral("<device>"), monitor.SlavePath());
        QCOMPARE(messages.texts, message.isEmpty() ? QStringList() : QStringList{message});
    }

    void monitorPortHeldElsewhereIsLeftAlone_data()
    {
        // Who holds the device the monitor's COM number names (through a link of its own).
        QTest::addColumn<QString>("holder");
        QTest::newRow("another program") << "program";
        QTest::newRow("another port of this program, through another link") << "port";
    }

    void monitorPortHeldElsewhereIsLeftAlone()
    {
        QFETCH(QString, holder);
        TestStation station;
        ScriptedMessages messages;
        Pty line;
        const QString monitorLink = station.Path(QStringLiteral("ttyMonitor"));
        const QString channelLink = station.Path(QStringLiteral("ttyChannel"));
        QVERIFY(QFile::link(line.SlavePath(), monitorLink));
        QVERIFY(QFile::link(line.SlavePath(), channelLink));
        ComPortDevices::Set(kMonitorCom, monitorLink);
        Store(Complete(1));
        std::unique_ptr<PortHolder> program;
        RemotePort channel;
        if (holder == QLatin1String("program")) {
            program = std::make_unique<PortHolder>(channelLink);
            QVERIFY(program->IsHolding());
        } else {
            QCOMPARE(channel.Open(channelLink, LineSettings{}), 0);
        }

        QCOMPARE(OpenRemotePort(), 0);
        QCOMPARE(messages.texts, QStringList{QString::fromLatin1(Str::kPortInUse).arg(kMonitorCom)});
        QVERIFY(!BuildPortList().contains(QStringLiteral("COM%1").arg(kMonitorCom)));

        program.reset();
        channel.Close(0);
        QCOMPARE(OpenRemotePort(), 1);
    }

    void portListLeavesOutHeldPorts()
    {
        TestStation station;
        for (int n = 1; n <= ComPortDevices::kMaxPort; ++n)
            ComPortDevices::Set(n, station.Path(QStringLiteral("no-such-device-%1").arg(n)));
        Pty com1, com2, com3, com7;
        ComPortDevices::Set(1, com1.SlavePath());
        ComPortDevices::Set(2, com2.SlavePath());
        ComPortDevices::Set(3, com3.SlavePath());
        ComPortDevices::Set(7, com7.SlavePath());
        QSerialPort channel1(com1.SlavePath()), channel2(com2.SlavePath());
        QVERIFY(channel1.open(QIODevice::ReadWrite));
        QVERIFY(channel2.open(QIODevice::ReadWrite));
        QCOMPARE(SharedRemotePort().Open(com7.SlavePath(), LineSettings{}), 0);

        QCOMPARE(BuildPortList(), (QStringList{"COM3"}));
        // Probing closed COM3 again.
        QSerialPort again(com3.SlavePath());
        QVERIFY(again.open(QIODevice::ReadWrite));
    }
};

QTEST_GUILESS_MAIN(RemoteSetupTest)
#include "tst_remotesetup.moc"
