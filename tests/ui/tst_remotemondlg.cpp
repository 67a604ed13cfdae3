#include "app/QuorvelApp.h"
#include "archive/QuorvelDoc.h"
#include "core/SettingsStore.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/SpinUntil.h"
#include "tests/ui/DialogDriver.h"
#include "tests/ui/WindowStation.h"
#include "tools/quorvel-sim/SimFrames.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/RemoteMonDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSettings>
#include <QtTest>

using Settings = RemoteMonitorSettings;
Q_DECLARE_METATYPE(RemoteMonitorSettings)

namespace {

const QString kEnable = QStringLiteral("Enable Remote monitoring output");
const QStringList kLabels{"&ComPort:", "&Baud Rate:", "&Data Bits:", "&Parity:", "&Stop Bits:", "&Flow Control:"};
const QStringList kFreePorts{"COM3", "COM5", "COM17"};

QList<QComboBox*> Lists(QWidget* dialog)
{
    QList<QComboBox*> lists;
    for (const QString& label : kLabels)
        lists << ListLabelled(dialog, label);
    return lists;
}

// What a person sees: the box, and per list whether it can be used, its entries and its selection.
struct Shown
{
    bool ticked = false;
    QList<bool> enabled;
    QList<QStringList> entries;
    QStringList selected;  // empty for a list without a selection
};

Shown Look(QWidget* dialog)
{
    Shown shown;
    shown.ticked = ButtonNamed(dialog, kEnable)->isChecked();
    for (QComboBox* list : Lists(dialog)) {
        shown.enabled << list->isEnabled();
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        shown.entries << entries;
        shown.selected << (list->currentIndex() < 0 ? QString() : list->currentText());
    }
    return shown;
}

const QStringList kBauds{"300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000", "128000", "256000"};
const QStringList kDataBits{"5", "6", "7", "8"};
const QStringList kParities{"None", "Odd", "Even", "Mark", "Space"};
const QStringList kStopBits{"1", "1.5", "2"};
const QStringList kFlows{"None", "Hardware", "Xon / Xoff"};

// A dialog shown with the record it is given, as the command shows it.
struct OpenDialog
{
    explicit OpenDialog(const Settings& stored, const QStringList& freePorts = kFreePorts)
    {
        dialog = std::make_unique<RemoteMonDlg>(stored, freePorts);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qWarning("dialog not exposed");
    }
    // A person's step: "tick" (a click on the box), "Baud Rate=300" (an entry chosen), "OK", "Cancel".
    bool Do(const QString& step)
    {
        if (step == QLatin1String("tick")) {
            Click(ButtonNamed(dialog.get(), kEnable));
            return true;
        }
        if (step == QLatin1String("OK") || step == QLatin1String("Cancel")) {
            Click(ButtonNamed(dialog.get(), step));
            return !dialog->isVisible();
        }
        const qsizetype equals = step.indexOf(QLatin1Char('='));
        QComboBox* list = ListLabelled(dialog.get(), QLatin1Char('&') + step.left(equals) + QLatin1Char(':'));
        return list && Choose(list, step.mid(equals + 1));
    }

    std::unique_ptr<RemoteMonDlg> dialog;
};

QList<int> Values(const Settings& s)
{
    return {s.enabled, s.port, s.baud, s.dataBits, s.parity, s.stopBits, s.flowControl};
}

} // namespace

Q_DECLARE_METATYPE(Shown)

// The remote monitoring settings as a person uses them: what the dialog shows of the record it is
// given and what it gives back; through the Tools command, what happens to the monitor's port.
class TestRemoteMonDlg : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SharedRemotePort().Close(0); }

    void opensWithTheStoredRecord_data();
    void opensWithTheStoredRecord();
    void tickingShowsWhatIsStored_data();
    void tickingShowsWhatIsStored();
    void okGivesTheChoice_data();
    void okGivesTheChoice();
    void switchingOffStopsForwardingAtOnce();
};

void TestRemoteMonDlg::opensWithTheStoredRecord_data()
{
    QTest::addColumn<Settings>("stored");
    QTest::addColumn<QStringList>("freePorts");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QStringList>("selected");  // port, baud, data bits, parity, stop bits, flow; "" none

    const QStringList none{"", "", "", "", "", ""};
    QTest::newRow("no record") << Settings{} << kFreePorts << false << none;
    QTest::newRow("stored off") << Settings{0, 5, 5, 3, 0, 0, 0} << kFreePorts << false << none;
    QTest::newRow("enable edited to 2") << Settings{2, 5, 5, 3, 0, 0, 0} << kFreePorts << false << none;
    QTest::newRow("on, port among the free")
        << Settings{1, 5, 5, 3, 0, 0, 0} << kFreePorts << true << QStringList{"COM5", "9600", "8", "None", "1", "None"};
    QTest::newRow("on, first entries")
        << Settings{1, 3, 0, 0, 0, 0, 0} << kFreePorts << true << QStringList{"COM3", "300", "5", "None", "1", "None"};
    QTest::newRow("on, last entries")
        << Settings{1, 17, 11, 3, 4, 2, 2} << kFreePorts << true
        << QStringList{"COM17", "256000", "8", "Space", "2", "Xon / Xoff"};
    // COM1 is named exactly, not by the start of COM17.
    QTest::newRow("on, COM1 after COM17")
        << Settings{1, 1, 5, 3, 0, 0, 0} << QStringList{"COM17", "COM1"} << true
        << QStringList{"COM1", "9600", "8", "None", "1", "None"};
    QTest::newRow("on, port not free")
        << Settings{1, 7, 5, 3, 2, 1, 1} << kFreePorts << true << QStringList{"", "9600", "8", "Even", "1.5", "Hardware"};
    QTest::newRow("on, no port free")
        << Settings{1, 5, 5, 3, 0, 0, 0} << QStringList{} << true << QStringList{"", "9600", "8", "None", "1", "None"};
    QTest::newRow("on, one beyond each list") << Settings{1, 0, 12, 4, 5, 3, 3} << kFreePorts << true << none;
    QTest::newRow("on, negative") << Settings{1, -1, -2, -1, -1, -1, -1} << kFreePorts << true << none;
    // Keys missing from the record, or not numbers, read as -1.
    QTest::newRow("on, keys missing") << Settings{1, -1, -1, -1, -1, -1, -1} << kFreePorts << true << none;
    QTest::newRow("on, not numbers") << Settings{1, -1, -1, 3, 0, -1, 0} << kFreePorts << true
                                     << QStringList{"", "", "8", "None", "", "None"};
}

void TestRemoteMonDlg::opensWithTheStoredRecord()
{
    QFETCH(Settings, stored);
    QFETCH(QStringList, freePorts);
    QFETCH(bool, ticked);
    QFETCH(QStringList, selected);
    OpenDialog open(stored, freePorts);

    const Shown shown = Look(open.dialog.get());
    QCOMPARE(open.dialog->windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(shown.ticked, ticked);
    QCOMPARE(shown.enabled, QList<bool>(6, ticked));
    // Port, baud rate and data bits are filled when the output is first shown on; the others always are.
    const QList<QStringList> entries{ticked ? freePorts : QStringList(), ticked ? kBauds : QStringList(),
                                     ticked ? kDataBits : QStringList(), kParities, kStopBits, kFlows};
    QCOMPARE(shown.entries, entries);
    QCOMPARE(shown.selected, selected);
}

void TestRemoteMonDlg::tickingShowsWhatIsStored_data()
{
    QTest::addColumn<Settings>("stored");
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("no record") << Settings{} << QStringList{"", "9600", "8", "None", "1", "None"};
    QTest::newRow("stored off") << Settings{0, 3, 7, 2, 2, 1, 1}
                                << QStringList{"COM3", "19200", "7", "Even", "1.5", "Hardware"};
    QTest::newRow("stored off, beyond the lists") << Settings{0, 4, 12, 4, 5, 3, 3}
                                                  << QStringList{"", "", "", "", "", ""};
}

void TestRemoteMonDlg::tickingShowsWhatIsStored()
{
    QFETCH(Settings, stored);
    QFETCH(QStringList, selected);
    OpenDialog open(stored);
    QVERIFY(!Look(open.dialog.get()).ticked);

    QVERIFY(open.Do(QStringLiteral("tick")));
    Shown shown = Look(open.dialog.get());
    QVERIFY(shown.ticked);
    QCOMPARE(shown.enabled, QList<bool>(6, true));
    QCOMPARE(shown.selected, selected);

    // Other choices, then the box cleared: the lists keep them but cannot be used.
    QVERIFY(open.Do(QStringLiteral("ComPort=COM17")));
    QVERIFY(open.Do(QStringLiteral("Baud Rate=300")));
    QVERIFY(open.Do(QStringLiteral("Parity=Mark")));
    QVERIFY(open.Do(QStringLiteral("tick")));
    shown = Look(open.dialog.get());
    QVERIFY(!shown.ticked);
    QCOMPARE(shown.enabled, QList<bool>(6, false));
    QCOMPARE(shown.selected.mid(0, 2), (QStringList{"COM17", "300"}));
    QCOMPARE(shown.selected.at(3), QStringLiteral("Mark"));

    // Ticked again: what is stored is shown again, and every entry is there once.
    QVERIFY(open.Do(QStringLiteral("tick")));
    shown = Look(open.dialog.get());
    QVERIFY(shown.ticked);
    QCOMPARE(shown.selected, selected);
    QCOMPARE(shown.entries, (QList<QStringList>{kFreePorts, kBauds, kDataBits, kParities, kStopBits, kFlows}));
}

void TestRemoteMonDlg::okGivesTheChoice_data()
{
    QTest::addColumn<Settings>("stored");
    QTest::addColumn<QStringList>("steps");  // the last one OK or Cancel
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QList<int>>("chosen");  // the seven values given back, in the record's order

    QTest::newRow("box clear, lists never filled")
        << Settings{} << QStringList{"OK"} << true << QList<int>{0, 0, -1, -1, -1, -1, -1};
    QTest::newRow("stored off, OK unchanged")
        << Settings{0, 3, 7, 2, 2, 1, 1} << QStringList{"OK"} << true << QList<int>{0, 0, -1, -1, -1, -1, -1};
    QTest::newRow("ticked without a record, no port chosen")
        << Settings{} << QStringList{"tick", "OK"} << true << QList<int>{1, 0, 5, 3, 0, 0, 0};
    QTest::newRow("ticked without a record, COM3 chosen")
        << Settings{} << QStringList{"tick", "ComPort=COM3", "OK"} << true << QList<int>{1, 3, 5, 3, 0, 0, 0};
    QTest::newRow("every list's last entry")
        << Settings{}
        << QStringList{"tick", "ComPort=COM17", "Baud Rate=256000", "Data Bits=8", "Parity=Space", "Stop Bits=2",
                       "Flow Control=Xon / Xoff", "OK"}
        << true << QList<int>{1, 17, 11, 3, 4, 2, 2};
    QTest::newRow("every list's first entry")
        << Settings{1, 17, 11, 3, 4, 2, 2}
        << QStringList{"ComPort=COM3", "Baud Rate=300", "Data Bits=5", "Parity=None", "Stop Bits=1", "Flow Control=None",
                       "OK"}
        << true << QList<int>{1, 3, 0, 0, 0, 0, 0};
    // Stored positions outside their lists are not given back.
    QTest::newRow("stored on beyond the lists, OK unchanged")
        << Settings{1, 5, 12, -1, 7, 3, 9} << QStringList{"OK"} << true << QList<int>{1, 5, -1, -1, -1, -1, -1};
    QTest::newRow("stored on, port not free, OK unchanged")
        << Settings{1, 9, 5, 3, 0, 0, 0} << QStringList{"OK"} << true << QList<int>{1, 0, 5, 3, 0, 0, 0};
    QTest::newRow("stored on, cleared")
        << Settings{1, 5, 7, 2, 2, 1, 1} << QStringList{"tick", "OK"} << true << QList<int>{0, 5, 7, 2, 2, 1, 1};
    QTest::newRow("stored on, changed, cleared and ticked")
        << Settings{1, 5, 5, 3, 0, 0, 0} << QStringList{"Baud Rate=300", "tick", "tick", "OK"} << true
        << QList<int>{1, 5, 5, 3, 0, 0, 0};
    QTest::newRow("changed, Cancel")
        << Settings{1, 5, 5, 3, 0, 0, 0} << QStringList{"tick", "tick", "Data Bits=7", "Cancel"} << false
        << QList<int>{1, 5, 5, 2, 0, 0, 0};
}

void TestRemoteMonDlg::okGivesTheChoice()
{
    QFETCH(Settings, stored);
    QFETCH(QStringList, steps);
    QFETCH(bool, accepted);
    QFETCH(QList<int>, chosen);
    OpenDialog open(stored);

    for (const QString& step : steps)
        QVERIFY2(open.Do(step), qPrintable(step));
    QCOMPARE(open.dialog->result(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(Values(open.dialog->Settings()), chosen);
}

void TestRemoteMonDlg::switchingOffStopsForwardingAtOnce()
{
    Pty one, monitor;
    WindowStation station({{1, &one}, {17, &monitor}}, 16,
                          "[RemoteMonitorSettings]\nEnableDisable=1\nPort=17\nBaudRate=5\nDataBits=3\nParity=0\n"
                          "StopBits=0\nFlowControl=0\n");
    ScriptedMessages messages;
    QVERIFY(station.Start());
    QVERIFY(monitor.PeerOpen());

    // Forwarded while on.
    QVERIFY(SendAlarm(one, 0x11));
    QByteArray frame;
    QVERIFY(SpinUntil([&] {
        frame += monitor.Read(int(10 - frame.size()), 1);
        return frame.size() == 10;
    }));
    QCOMPARE(frame.mid(3, 4), QByteArray::fromHex("01000011"));
    QVERIFY(monitor.Write(SimFrames::MonitorAck(quint8(frame.at(2)))));

    // Tools, Remote Monitoring: the box cleared, Cancel: nothing stored, the port stays open.
    QVERIFY(RunCommand(station.Frame(), ID_REMOTE_MONITORING, [&](QDialog* dialog) {
        Click(ButtonNamed(dialog, kEnable));
        Click(ButtonNamed(dialog, QStringLiteral("Cancel")));
    }));
    QVERIFY(monitor.PeerOpen());
    QCOMPARE(ProfileStore().value(QStringLiteral("RemoteMonitorSettings/EnableDisable")).toInt(), 1);

    // The box cleared, OK.
    Shown shown;
    QVERIFY(RunCommand(station.Frame(), ID_REMOTE_MONITORING, [&](QDialog* dialog) {
        shown = Look(dialog);
        Click(ButtonNamed(dialog, kEnable));
        Click(ButtonNamed(dialog, QStringLiteral("OK")));
    }));
    QVERIFY(shown.ticked);
    QCOMPARE(shown.entries.first(), station.app->AvailablePorts());
    QVERIFY(!shown.entries.first().contains(QStringLiteral("COM1")));  // held by channel 1
    QCOMPARE(shown.selected.first(), QStringLiteral("COM17"));
    QVERIFY(!monitor.PeerOpen());
    QCOMPARE(ProfileStore().value(QStringLiteral("RemoteMonitorSettings/EnableDisable")).toInt(), 0);

    // Logged as before, forwarded no more, and nobody is told of a failed forward.
    QVERIFY(SendAlarm(one, 0x12));
    // The forward is decided before the record is listed.
    QTRY_COMPARE_WITH_TIMEOUT(station.app->Document(1)->GetEventCount(), 2, 10000);
    QVERIFY(monitor.Read(1, 100).isEmpty());
    QVERIFY(!monitor.PeerOpen());
    QVERIFY(messages.texts.isEmpty());
}

QTEST_MAIN(TestRemoteMonDlg)
#include "tst_remotemondlg.moc"
