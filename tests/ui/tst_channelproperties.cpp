#include "app/QuorvelApp.h"
#include "app/WindowViews.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "tests/support/LineProbe.h"
#include "core/Strings.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/Pty.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/SpinUntil.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"
#include "ui/ChildFrm.h"
#include "ui/CommandIds.h"
#include "ui/MainFrm.h"
#include "ui/PropertySheet.h"
#include "ui/QuorvelView.h"
#include "ui/UserDialogs.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kWarning = QStringLiteral(
    "Warning: Changing Com port Settings will require interrupting logging on that port - data may be lost!");
const QString kForbidden = QStringLiteral("Channel name must not contain any of \\/:*?\"<> or | characters");
const QString kDuplicated = QStringLiteral("Error: the name \"%1\" is duplicated.");
const QString kTooLong = QStringLiteral("Please enter no more than 64 characters.");
const QDateTime kToday(QDate(2031, 3, 4), QTime(10, 0));

enum Tab { NameTab, CommsTab, LinesTab };

// The program with its windows on a station of its own: channel 1 on a line the test holds at
// 9600 baud, one stop bit; the other channels on device names nothing answers to. `settings`
// is added to the settings file before start.
class Station
{
public:
    // unassigned: a channel the port map gives no port (0: none such).
    explicit Station(const QByteArray& settings = {}, int unassigned = 0)
    {
        Clock::SetNow(kToday);
        station.WriteFile(QStringLiteral("almdata.txt"), AlarmFileBytes({{0, {"ALARM", "N", "", "", "Door open"}}}));
        QByteArray map = "[ComPortAssignments]\n";
        QByteArray devices = "[ComPortDevices]\n";
        for (int n = 1; n <= 16; ++n) {
            if (n != unassigned)
                map += "Channel" + QByteArray::number(n) + "=COM" + QByteArray::number(n) + '\n';
            devices += "COM" + QByteArray::number(n) + '='
                + (n == 1 ? line.SlavePath() : station.Path(QStringLiteral("absent/%1").arg(n))).toLocal8Bit() + '\n';
        }
        station.WriteFile(QStringLiteral("qvportmap.ini"), map + devices);
        station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"),
                          "[Backup]\nDrives=.\n[COM1%20Settings]\nPort=1\nBaud=5\nData=3\nStop=0\nParity=0\nShake=0\n"
                              + settings);
        line.ReleaseSlave();
        app = std::make_unique<CQuorvelApp>();
        auto windows = std::make_unique<WindowViews>(*app);
        views = windows.get();
        app->SetChannelViews(std::move(windows));
        started = app->InitInstance();
    }

    ~Station()
    {
        app.reset();
        SetUserDialogs(nullptr);
    }

    CMainFrame& Frame() const { return views->Frame(); }

    // Opens channel n's sheet with the Properties command of its window and runs `drive` on it
    // while it is open, as the person at the station would.
    void WithSheet(int channel, const std::function<void(PropertySheet&)>& drive) const
    {
        Frame().MdiArea()->setActiveSubWindow(views->Window(channel));
        bool driven = false;
        QObject pollScope;  // ends the polling with this call, whatever became of the sheet
        std::function<void()> poll = [&] {
            auto* sheet = qobject_cast<PropertySheet*>(QApplication::activeModalWidget());
            if (!sheet) {
                QTimer::singleShot(10, &pollScope, poll);
                return;
            }
            driven = true;
            // In front and with the keyboard, as a sheet just opened is.
            QApplication::setActiveWindow(sheet);
            if (!QTest::qWaitForWindowActive(sheet))
                return;
            drive(*sheet);
            // Whatever the driving left open closes now.
            if (sheet->isVisible())
                sheet->reject();
        };
        QTimer::singleShot(0, &pollScope, poll);
        Frame().CommandAction(ID_PROPERTIES)->trigger();
        QVERIFY(driven);
    }

    // Sends alarm 1 (text "Door open") and is true once it is acknowledged.
    bool SendAlarm(int value)
    {
        const QByteArray ack = SimFrames::TerminalAck();
        if (!line.Write(SimFrames::BlockFrame(QByteArray::fromHex("0100") + char(value), false)))
            return false;
        QByteArray reply;
        return SpinUntil([&] {
            reply += line.Read(int(ack.size() - reply.size()), 1);
            return reply == ack;
        });
    }

    QString Stored(const QString& section, const QString& key) const
    {
        return GetProfileString(section, key, QStringLiteral("<none>"));
    }

    Pty line;
    TestStation station;
    std::unique_ptr<CQuorvelApp> app;
    WindowViews* views = nullptr;
    bool started = false;
};

// What a person does on the sheet.
void ClickTab(PropertySheet& sheet, int tab)
{
    QTabBar* tabs = sheet.findChild<QTabBar*>();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
}

int ShownTab(PropertySheet& sheet)
{
    return sheet.findChild<QTabBar*>()->currentIndex();
}

void ClickButton(PropertySheet& sheet, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(sheet.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

QLineEdit* NameEdit(PropertySheet& sheet)
{
    return sheet.findChild<QLineEdit*>();
}

void TypeName(PropertySheet& sheet, const QString& text)
{
    QLineEdit* edit = NameEdit(sheet);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

QComboBox* List(PropertySheet& sheet, const char* label)
{
    for (QLabel* candidate : sheet.findChildren<QLabel*>()) {
        if (candidate->text() == QLatin1String(label))
            return qobject_cast<QComboBox*>(candidate->buddy());
    }
    return nullptr;
}

// Chooses an entry of a drop-down list by typing its first characters, as on a closed list.
void Choose(PropertySheet& sheet, const char* label, const QString& entry)
{
    QComboBox* list = List(sheet, label);
    list->setFocus();
    // Typing the entry already selected would move on to the next that starts alike.
    if (list->currentText() != entry)
        QTest::keyClicks(list, entry);
    QCOMPARE(list->currentText(), entry);
}

// Clicks a radio button on its mark, where a click always lands.
void ClickRadio(PropertySheet& sheet, const QString& text)
{
    for (QRadioButton* button : sheet.findChildren<QRadioButton*>()) {
        if (button->text() == text) {
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->height() / 2, button->height() / 2));
            QVERIFY(button->isChecked());
            return;
        }
    }
    QFAIL("no such radio button");
}

QString ArchivePath(const Station& station, const QString& name, const QDateTime& day)
{
    return station.station.Path(QStringLiteral("Archives/%1 %2.krv").arg(name, day.toString(QStringLiteral("yyyyMMdd"))));
}

} // namespace

// The channel property sheet driven as the person at the station drives it: what it refuses,
// what it stores, and what it changes in the running program.
class TestChannelProperties : public QObject
{
    Q_OBJECT

private slots:
    void refusedNameKeepsTheSheetOpen_data();
    void refusedNameKeepsTheSheetOpen();
    void acceptedNameRetitlesAtOnce_data();
    void acceptedNameRetitlesAtOnce();
    void renamedChannelArchivesUnderItsNewName();
    void pagesNeverShownWriteNothing_data();
    void pagesNeverShownWriteNothing();
    void comSettingsReachTheOpenLine_data();
    void comSettingsReachTheOpenLine();
    void storedValuesOutsideTheLists_data();
    void storedValuesOutsideTheLists();
    void refusedLineFormatLeavesTheLineAsItWas();
    void archiveWindowHasNoSheet();
    void comPageWithoutPortSaysSo();
};

void TestChannelProperties::refusedNameKeepsTheSheetOpen_data()
{
    QTest::addColumn<QByteArray>("names");   // section Channels as stored before start
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("leaveByTab");    // else by OK
    QTest::addColumn<QString>("message");

    const char forbidden[] = "\\/:*?\"<>|";
    for (const char* c = forbidden; *c; ++c) {
        const QString name = QStringLiteral("Gate %1 2").arg(QLatin1Char(*c));
        QTest::addRow("'%c' by OK", *c) << QByteArray() << 1 << name << false << kForbidden;
    }
    QTest::newRow("forbidden, by tab") << QByteArray() << 2 << QStringLiteral("A/B") << true << kForbidden;
    QTest::newRow("another channel's name in other case") << QByteArray() << 1 << QStringLiteral("channel 7") << false
                                                         << kDuplicated.arg(QStringLiteral("CHANNEL 7"));
    QTest::newRow("another channel's name with blanks around") << QByteArray() << 1 << QStringLiteral("  Channel 7 ")
                                                              << false << kDuplicated.arg(QStringLiteral("CHANNEL 7"));
    QTest::newRow("another channel's renamed name, by tab")
        << QByteArray("[Channels]\n12=North Gate\n") << 3 << QStringLiteral("NORTH gate") << true
        << kDuplicated.arg(QStringLiteral("NORTH GATE"));
    // Cleared, the channel takes its default name, which another channel carries.
    QTest::newRow("cleared to a default another has") << QByteArray("[Channels]\n1=Gate\n3=Channel 1\n") << 1
                                                      << QString() << false
                                                      << kDuplicated.arg(QStringLiteral("CHANNEL 1"));
    QTest::newRow("stored name longer than 64") << QByteArray("[Channels]\n4=" + QByteArray(70, 'x') + '\n') << 4
                                                << QStringLiteral("<keep>") << false << kTooLong;
}

void TestChannelProperties::refusedNameKeepsTheSheetOpen()
{
    QFETCH(QByteArray, names);
    QFETCH(int, channel);
    QFETCH(QString, typed);
    QFETCH(bool, leaveByTab);
    QFETCH(QString, message);
    Station station(names);
    ScriptedMessages messages;
    QVERIFY(station.started);
    const QString titleBefore = station.views->Window(channel)->windowTitle();
    const QString storedBefore = station.Stored(QStringLiteral("Channels"), QString::number(channel));

    station.WithSheet(channel, [&](PropertySheet& sheet) {
        if (typed != QLatin1String("<keep>"))
            TypeName(sheet, typed);
        if (leaveByTab)
            ClickTab(sheet, LinesTab);
        else
            ClickButton(sheet, QDialogButtonBox::Ok);
        QCOMPARE(messages.texts, QStringList{message});
        QVERIFY(sheet.isVisible());
        QCOMPARE(ShownTab(sheet), int(NameTab));
        QVERIFY(NameEdit(sheet)->hasFocus());
        // Only the other pages' first showing would have stored a line count.
        QCOMPARE(station.Stored(QStringLiteral("Lines"), QString::number(channel)), QStringLiteral("<none>"));
        ClickButton(sheet, QDialogButtonBox::Cancel);
        QVERIFY(!sheet.isVisible());
    });
    QCOMPARE(station.views->Window(channel)->windowTitle(), titleBefore);
    QCOMPARE(station.Stored(QStringLiteral("Channels"), QString::number(channel)), storedBefore);
}

void TestChannelProperties::acceptedNameRetitlesAtOnce_data()
{
    QTest::addColumn<QByteArray>("names");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title");

    QTest::newRow("renamed") << QByteArray() << 2 << QStringLiteral("North Gate") << QStringLiteral("North Gate");
    QTest::newRow("own name in other case") << QByteArray("[Channels]\n5=Dock\n") << 5 << QStringLiteral("DOCK")
                                            << QStringLiteral("DOCK");
    QTest::newRow("cleared") << QByteArray("[Channels]\n6=Dock\n") << 6 << QString() << QStringLiteral("Channel 6");
    // Two other channels stored alike (set by hand in the settings file) are not this sheet's concern.
    QTest::newRow("other channels stored alike") << QByteArray() << 1 << QStringLiteral("Gate")
                                                 << QStringLiteral("Gate");
    QTest::newRow("64 characters") << QByteArray() << 1 << QString(64, QLatin1Char('y')) << QString(64, QLatin1Char('y'));
}

void TestChannelProperties::acceptedNameRetitlesAtOnce()
{
    QFETCH(QByteArray, names);
    QFETCH(int, channel);
    QFETCH(QString, typed);
    QFETCH(QString, title);
    Station station(names);
    ScriptedMessages messages;
    QVERIFY(station.started);
    WriteProfileString(QStringLiteral("Channels"), QStringLiteral("9"), QStringLiteral("Yard"));
    WriteProfileString(QStringLiteral("Channels"), QStringLiteral("10"), QStringLiteral("yard"));

    station.WithSheet(channel, [&](PropertySheet& sheet) {
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Settings for Channel %1").arg(channel));
        TypeName(sheet, typed + QStringLiteral("zz"));  // the edit takes no more than 64 characters
        for (int i = 0; i < 2 && NameEdit(sheet)->text() != typed; ++i)
            QTest::keyClick(NameEdit(sheet), Qt::Key_Backspace);
        QCOMPARE(NameEdit(sheet)->text(), typed);
        ClickButton(sheet, QDialogButtonBox::Ok);
        QVERIFY(!sheet.isVisible());
    });
    QCOMPARE(messages.texts, QStringList());
    QCOMPARE(station.views->Window(channel)->windowTitle(), title);
    QCOMPARE(station.Frame().windowTitle(), QStringLiteral("Quorvel - ") + title);
    QCOMPARE(station.Stored(QStringLiteral("Channels"), QString::number(channel)), typed);
    // The other windows keep their names.
    const int other = channel == 1 ? 2 : 1;
    QCOMPARE(station.views->Window(other)->windowTitle(), QStringLiteral("Channel %1").arg(other));
}

void TestChannelProperties::renamedChannelArchivesUnderItsNewName()
{
    Station station;
    ScriptedMessages messages;
    QVERIFY(station.started);
    QVERIFY(station.SendAlarm(0x11));
    QVERIFY(SpinUntil([&] { return QFileInfo::exists(ArchivePath(station, QStringLiteral("Channel 1"), kToday)); }));

    station.WithSheet(1, [&](PropertySheet& sheet) {
        TypeName(sheet, QStringLiteral("North Gate"));
        ClickButton(sheet, QDialogButtonBox::Ok);
    });
    QCOMPARE(station.views->Window(1)->windowTitle(), QStringLiteral("North Gate"));

    // The day's archive stays where it is; the next day's carries the new name.
    const QDateTime tomorrow = kToday.addDays(1);
    Clock::SetNow(tomorrow);
    QVERIFY(station.SendAlarm(0x12));
    const QString next = ArchivePath(station, QStringLiteral("North Gate"), tomorrow);
    QVERIFY(SpinUntil([&] {
        QFile file(next);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("Door open");
    }));
    QVERIFY(!QFileInfo::exists(ArchivePath(station, QStringLiteral("Channel 1"), tomorrow)));
    QCOMPARE(messages.texts, QStringList());
}

void TestChannelProperties::pagesNeverShownWriteNothing_data()
{
    QTest::addColumn<QByteArray>("lines");       // section Lines as stored before start
    QTest::addColumn<QList<int>>("tabs");        // the tabs clicked, in order
    QTest::addColumn<QString>("choose");         // a radio button of the Line Count page to click
    QTest::addColumn<bool>("ok");                // else Cancel
    QTest::addColumn<QString>("linesAfter");
    QTest::addColumn<QStringList>("texts");

    const QList<int> none;
    QTest::newRow("name only, OK") << QByteArray() << none << QString() << true << "<none>" << QStringList();
    QTest::newRow("name only, stored count kept") << QByteArray("[Lines]\n2=40\n") << none << QString() << true
                                                  << "40" << QStringList();
    QTest::newRow("COM page shown, Cancel") << QByteArray() << QList<int>{CommsTab} << QString() << false
                                            << "<none>" << QStringList();
    QTest::newRow("line count first shown stores 64, even on Cancel")
        << QByteArray() << QList<int>{LinesTab} << QString() << false << "64" << QStringList();
    QTest::newRow("40 chosen") << QByteArray() << QList<int>{LinesTab} << "40 Line" << true << "40" << QStringList();
    QTest::newRow("40 chosen, Cancel") << QByteArray("[Lines]\n2=64\n") << QList<int>{LinesTab} << "40 Line" << false
                                       << "64" << QStringList();
    QTest::newRow("stored 50 shown as 40") << QByteArray("[Lines]\n2=50\n") << QList<int>{LinesTab} << QString()
                                           << true << "40" << QStringList();
    QTest::newRow("64 chosen over 40") << QByteArray("[Lines]\n2=40\n") << QList<int>{LinesTab, NameTab} << "64 Line"
                                       << true << "64" << QStringList();
    QTest::newRow("all shown: the warning only for COM")
        << QByteArray("[Lines]\n2=40\n") << QList<int>{CommsTab, LinesTab} << QString() << true << "40"
        << QStringList{kWarning};
}

void TestChannelProperties::pagesNeverShownWriteNothing()
{
    QFETCH(QByteArray, lines);
    QFETCH(QList<int>, tabs);
    QFETCH(QString, choose);
    QFETCH(bool, ok);
    QFETCH(QString, linesAfter);
    QFETCH(QStringList, texts);
    Station station(lines);
    ScriptedMessages messages;
    QVERIFY(station.started);
    // Channel 2's port is not open; its record does not exist until its COM page is confirmed.
    station.WithSheet(2, [&](PropertySheet& sheet) {
        for (int tab : tabs) {
            ClickTab(sheet, tab);
            QCOMPARE(ShownTab(sheet), tab);
            if (tab == LinesTab && !choose.isEmpty())
                ClickRadio(sheet, choose);
        }
        ClickButton(sheet, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    });
    QCOMPARE(messages.texts, texts);
    QCOMPARE(station.Stored(QStringLiteral("Lines"), QStringLiteral("2")), linesAfter);
    const bool comsShownAndConfirmed = ok && tabs.contains(CommsTab);
    QCOMPARE(ProfileStore().childGroups().contains(QStringLiteral("COM2 Settings")), comsShownAndConfirmed);
}

void TestChannelProperties::comSettingsReachTheOpenLine_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("flow");
    QTest::addColumn<int>("answer");        // to the warning
    QTest::addColumn<QString>("record");    // Port, Baud, Data, Stop, Parity, Shake stored afterwards
    QTest::addColumn<unsigned>("speed");
    QTest::addColumn<bool>("twoStop");

    const QString before = QStringLiteral("1 5 3 0 0 0");
    QTest::newRow("19200, 2 stop bits") << "19200" << "2" << "None" << int(IUserMessages::AnswerOk)
                                        << "1 7 3 2 0 0" << 19200u << true;
    QTest::newRow("256000") << "256000" << "1" << "None" << int(IUserMessages::AnswerOk) << "1 11 3 0 0 0" << 256000u
                            << false;
    QTest::newRow("300") << "300" << "1" << "None" << int(IUserMessages::AnswerOk) << "1 0 3 0 0 0" << 300u << false;
    QTest::newRow("warning cancelled") << "19200" << "2" << "None" << int(IUserMessages::AnswerCancel) << before
                                       << 9600u << false;
    // Flow control reaches the port only when it is next opened.
    QTest::newRow("hardware flow stored only") << "9600" << "1" << "Hardware" << int(IUserMessages::AnswerOk)
                                               << "1 5 3 0 0 3" << 9600u << false;
    QTest::newRow("xon/xoff stored only") << "38400" << "1" << "Xon / Xoff" << int(IUserMessages::AnswerOk)
                                          << "1 8 3 0 0 4" << 38400u << false;
}

void TestChannelProperties::comSettingsReachTheOpenLine()
{
    QFETCH(QString, baud);
    QFETCH(QString, stop);
    QFETCH(QString, flow);
    QFETCH(int, answer);
    QFETCH(QString, record);
    QFETCH(unsigned, speed);
    QFETCH(bool, twoStop);
    Station station;
    ScriptedMessages messages;
    QVERIFY(station.started);
    QCOMPARE(LineProbe::Read(station.line.MasterFd()).speed, 9600u);
    messages.answers = {answer};

    station.WithSheet(1, [&](PropertySheet& sheet) {
        ClickTab(sheet, CommsTab);
        QCOMPARE(List(sheet, "&Baud Rate:")->currentText(), QStringLiteral("9600"));
        QCOMPARE(List(sheet, "&Flow Control:")->currentText(), QStringLiteral("None"));
        Choose(sheet, "&Baud Rate:", baud);
        Choose(sheet, "&Stop Bits:", stop);
        Choose(sheet, "&Flow Control:", flow);
        ClickButton(sheet, QDialogButtonBox::Ok);
        QVERIFY(!sheet.isVisible());
    });
    QCOMPARE(messages.texts, QStringList{kWarning});
    QCOMPARE(messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Exclamation});
    QStringList stored;
    for (const char* key : {"Port", "Baud", "Data", "Stop", "Parity", "Shake"})
        stored.append(station.Stored(QStringLiteral("COM1 Settings"), QLatin1String(key)));
    QCOMPARE(stored.join(QLatin1Char(' ')), record);
    const LineProbe line = LineProbe::Read(station.line.MasterFd());
    QCOMPARE(line.speed, speed);
    QCOMPARE(line.twoStopBits, twoStop);
    QVERIFY(!line.rtsCts);
    QVERIFY(!line.xonXoff);
    // The port stayed open and logs on.
    QVERIFY(station.SendAlarm(0x13));
    QCOMPARE(messages.texts.size(), 1);
}

void TestChannelProperties::storedValuesOutsideTheLists_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");         // put into channel 1's record while the program runs
    QTest::addColumn<QString>("label");         // the list it belongs to
    QTest::addColumn<QString>("shown");         // its selection; empty for none
    QTest::addColumn<QString>("storedAfter");   // the key's value after OK
    QTest::addColumn<QString>("change");        // what is chosen besides: "2" stop bits, else 19200 baud
    QTest::addColumn<unsigned>("speed");        // the line afterwards
    QTest::addColumn<bool>("twoStop");

    QTest::newRow("baud 12") << "Baud" << "12" << "&Baud Rate:" << "" << "12" << "2" << 9600u << true;
    QTest::newRow("baud -1") << "Baud" << "-1" << "&Baud Rate:" << "" << "-1" << "2" << 9600u << true;
    QTest::newRow("baud not a number") << "Baud" << "fast" << "&Baud Rate:" << "" << "fast" << "2" << 9600u << true;
    QTest::newRow("data 4") << "Data" << "4" << "&Data Bits:" << "" << "4" << "2" << 9600u << true;
    QTest::newRow("stop 3") << "Stop" << "3" << "&Stop Bits:" << "" << "3" << "19200" << 19200u << false;
    QTest::newRow("parity 5") << "Parity" << "5" << "&Parity:" << "" << "5" << "2" << 9600u << true;
    QTest::newRow("parity 4 is space") << "Parity" << "4" << "&Parity:" << "Space" << "4" << "2" << 9600u << true;
    QTest::newRow("shake 1 is hardware") << "Shake" << "1" << "&Flow Control:" << "Hardware" << "3" << "2" << 9600u
                                         << true;
    QTest::newRow("shake 2 is hardware") << "Shake" << "2" << "&Flow Control:" << "Hardware" << "3" << "2" << 9600u
                                         << true;
    QTest::newRow("shake 7 is xon/xoff") << "Shake" << "7" << "&Flow Control:" << "Xon / Xoff" << "4" << "2" << 9600u
                                         << true;
    QTest::newRow("shake not a number") << "Shake" << "x" << "&Flow Control:" << "" << "x" << "2" << 9600u << true;
}

void TestChannelProperties::storedValuesOutsideTheLists()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    QFETCH(QString, storedAfter);
    QFETCH(QString, change);
    QFETCH(unsigned, speed);
    QFETCH(bool, twoStop);
    Station station;
    ScriptedMessages messages;
    QVERIFY(station.started);
    // Edited by hand while channel 1 runs at 9600 baud, one stop bit.
    ProfileStore().setValue(QStringLiteral("COM1 Settings/") + key, value);

    station.WithSheet(1, [&](PropertySheet& sheet) {
        ClickTab(sheet, CommsTab);
        QComboBox* list = List(sheet, label.toLatin1().constData());
        QCOMPARE(list->currentText(), shown);
        QCOMPARE(list->currentIndex() >= 0, !shown.isEmpty());
        Choose(sheet, change == QLatin1String("2") ? "&Stop Bits:" : "&Baud Rate:", change);
        ClickButton(sheet, QDialogButtonBox::Ok);
    });
    QCOMPARE(messages.texts, QStringList{kWarning});
    QCOMPARE(station.Stored(QStringLiteral("COM1 Settings"), key), storedAfter);
    // What a list without a selection stands for stays on the line as it was.
    const LineProbe line = LineProbe::Read(station.line.MasterFd());
    QCOMPARE(line.speed, speed);
    QCOMPARE(line.twoStopBits, twoStop);
    QVERIFY(station.SendAlarm(0x14));
}

void TestChannelProperties::refusedLineFormatLeavesTheLineAsItWas()
{
    Station station;
    ScriptedMessages messages;
    QVERIFY(station.started);
    // A pseudo-terminal keeps 8 data bits, so the device refuses 7 (after the new rate was taken).
    const QString section = QStringLiteral("COM1 Settings");
    const QString baudBefore = station.Stored(section, QStringLiteral("Baud"));
    const QString dataBefore = station.Stored(section, QStringLiteral("Data"));
    station.WithSheet(1, [&](PropertySheet& sheet) {
        ClickTab(sheet, CommsTab);
        Choose(sheet, "&Baud Rate:", QStringLiteral("19200"));
        Choose(sheet, "&Data Bits:", QStringLiteral("7"));
        ClickButton(sheet, QDialogButtonBox::Ok);
        QVERIFY(!sheet.isVisible());
    });
    // The box names the setting and the system's reason; the record stays the one the line runs with.
    QCOMPARE(messages.texts.size(), 2);
    QCOMPARE(messages.texts[0], kWarning);
    const QString refused = QStringLiteral("Port COM1 refused Data Bits 7: ");
    const QString kept = QStringLiteral(". The line runs on as it was, and its stored settings are left as they were.");
    QVERIFY2(messages.texts[1].startsWith(refused) && messages.texts[1].endsWith(kept)
                 && messages.texts[1].size() > refused.size() + kept.size(),
             qPrintable(messages.texts[1]));
    QCOMPARE(station.Stored(section, QStringLiteral("Baud")), baudBefore);
    QCOMPARE(station.Stored(section, QStringLiteral("Data")), dataBefore);
    QCOMPARE(LineProbe::Read(station.line.MasterFd()).speed, 9600u);
    QVERIFY(station.SendAlarm(0x15));
    QCOMPARE(messages.texts.size(), 2);
}

void TestChannelProperties::archiveWindowHasNoSheet()
{
    Station station;
    ScriptedMessages messages;
    QVERIFY(station.started);
    // A window whose document has no channel, as an archive's has.
    CQuorvelDoc archive(QStringLiteral("Channel 1 20310303.krv"));
    CChildFrame* window = station.Frame().CreateChannelWindow(&archive);
    station.Frame().MdiArea()->setActiveSubWindow(window);
    bool sheetShown = false;
    QTimer::singleShot(0, [&] { sheetShown = QApplication::activeModalWidget() != nullptr; });
    station.Frame().CommandAction(ID_PROPERTIES)->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!sheetShown);
    QVERIFY(messages.texts.isEmpty());
    window->SetProgramEnding();
    window->close();
}

void TestChannelProperties::comPageWithoutPortSaysSo()
{
    Station station({}, 3);
    QVERIFY(station.started);
    ScriptedMessages messages;
    station.WithSheet(3, [&](PropertySheet& sheet) {
        ClickTab(sheet, CommsTab);
        QStringList notes;
        for (const QLabel* label : sheet.findChildren<QLabel*>())
            notes << label->text();
        QVERIFY2(notes.contains(QString::fromLatin1(Str::kChannelHasNoPort).arg(3)), qPrintable(notes.join(" / ")));
        for (const QComboBox* list : sheet.findChildren<QComboBox*>())
            QVERIFY(!list->isEnabled());
        ClickButton(sheet, QDialogButtonBox::Ok);
    });
    QVERIFY(!messages.texts.contains(QString::fromLatin1(Str::kComSettingsWarning)));
    QVERIFY(!ProfileStore().childGroups().contains(QStringLiteral("COM0 Settings")));
}

QTEST_MAIN(TestChannelProperties)
#include "tst_channelproperties.moc"
