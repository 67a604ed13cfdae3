#include "app/QuorvelApp.h"
#include "archive/QuorvelDoc.h"
#include "core/SettingsStore.h"
#include "events/DisplayObj.h"
#include "tests/support/Pty.h"
#include "tests/ui/ChannelWindows.h"
#include "tests/ui/DialogDriver.h"
#include "tests/ui/WindowStation.h"
#include "ui/CommandIds.h"
#include "ui/EventDialog.h"
#include "ui/MainFrm.h"

#include <QAbstractButton>
#include <QDialog>
#include <QSettings>
#include <QtTest>

using Flags = QMap<QString, QString>;  // display flags as stored in section "Settings", by name

Q_DECLARE_METATYPE(EventViewFlags)

namespace {

const QString kFault = QStringLiteral("Fault Conditions");
const QString kWarnings = QStringLiteral("Warnings");
const QString kCall = QStringLiteral("Call Events");

void Store(const Flags& flags)
{
    for (auto it = flags.begin(); it != flags.end(); ++it)
        WriteProfileString(QStringLiteral("Settings"), it.key(), it.value());
}

QByteArray StoredText(const Flags& flags)
{
    QByteArray text = "[Settings]\n";
    for (auto it = flags.begin(); it != flags.end(); ++it)
        text += it.key().toLatin1() + '=' + it.value().toLatin1() + '\n';
    return text;
}

// What the boxes show: Fault Conditions, Warnings, Call Events.
QList<bool> Boxes(QDialog* dialog)
{
    QList<bool> shown;
    for (const QString& text : {kFault, kWarnings, kCall})
        shown.append(ButtonNamed(dialog, text)->isChecked());
    return shown;
}

QMap<QString, QVariant> StoreContents()
{
    QMap<QString, QVariant> contents;
    for (const QString& key : ProfileStore().allKeys())
        contents.insert(key, ProfileStore().value(key));
    return contents;
}

// The messages sent after the dialog, one of each kind, and the text each is known by.
const QList<QPair<QByteArray, QString>> kMessages = {
    {QByteArray::fromHex("010005"), QStringLiteral("Door open")},          // ALARM, kind 0
    {QByteArray::fromHex("010405"), QStringLiteral("Mains failure")},      // FAULT, kind 0
    {QByteArray::fromHex("010105"), QStringLiteral("Mains restored")},     // EVENT, kind 1
    {QByteArray::fromHex("9b00") + "05", QStringLiteral("Incoming Line 5 Off Hook.")},  // line message, kind 1
    {QByteArray::fromHex("010205"), QStringLiteral("Printer offline")},    // SYSTEM, kind 2
};

// The texts of the records now in the channel's list, each by the message it came from.
QStringList Listed(const CQuorvelDoc& document)
{
    QStringList listed;
    for (int i = 0; i < document.GetEventCount(); ++i) {
        const QString text = QString::fromLatin1(document.GetEvent(i).GetText());
        for (const auto& message : kMessages) {
            if (text.contains(message.second))
                listed.append(message.second);
        }
    }
    return listed;
}

} // namespace

// The event view selection as a person uses it: what it shows of the flags it is given and what
// it gives back; through the Tools command, what OK and Cancel store and which records enter the
// lists afterwards.
class TestEventDialog : public QObject
{
    Q_OBJECT

private slots:
    void boxesShowTheFlags_data();
    void boxesShowTheFlags();
    void okGivesTheBoxes_data();
    void okGivesTheBoxes();
    void okStoresAndTheNextRecordsFollow_data();
    void okStoresAndTheNextRecordsFollow();
    void cancelStoresNothing_data();
    void cancelStoresNothing();
};

void TestEventDialog::boxesShowTheFlags_data()
{
    QTest::addColumn<EventViewFlags>("flags");
    QTest::addColumn<QList<bool>>("shown");  // Fault Conditions, Warnings, Call Events

    QTest::newRow("all set") << EventViewFlags{true, true, true} << QList<bool>{true, true, true};
    QTest::newRow("fault only") << EventViewFlags{false, true, false} << QList<bool>{true, false, false};
    QTest::newRow("warnings only") << EventViewFlags{false, false, true} << QList<bool>{false, true, false};
    QTest::newRow("call only") << EventViewFlags{true, false, false} << QList<bool>{false, false, true};
    QTest::newRow("none") << EventViewFlags{false, false, false} << QList<bool>{false, false, false};
}

void TestEventDialog::boxesShowTheFlags()
{
    QFETCH(EventViewFlags, flags);
    QFETCH(QList<bool>, shown);
    EventDialog dialog(flags);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Event View selection"));
    QCOMPARE(Boxes(&dialog), shown);
}

void TestEventDialog::okGivesTheBoxes_data()
{
    QTest::addColumn<EventViewFlags>("flags");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<EventViewFlags>("chosen");

    QTest::newRow("unchanged") << EventViewFlags{true, true, true} << QStringList{} << EventViewFlags{true, true, true};
    QTest::newRow("fault cleared") << EventViewFlags{true, true, true} << QStringList{kFault} << EventViewFlags{true, false, true};
    QTest::newRow("warnings cleared") << EventViewFlags{true, true, true} << QStringList{kWarnings} << EventViewFlags{true, true, false};
    QTest::newRow("call set alone") << EventViewFlags{false, false, false} << QStringList{kCall} << EventViewFlags{true, false, false};
    QTest::newRow("all three clicked") << EventViewFlags{true, false, true} << QStringList{kFault, kWarnings, kCall}
                                       << EventViewFlags{false, true, false};
    QTest::newRow("clicked twice") << EventViewFlags{true, true, true} << QStringList{kWarnings, kWarnings}
                                   << EventViewFlags{true, true, true};
}

void TestEventDialog::okGivesTheBoxes()
{
    QFETCH(EventViewFlags, flags);
    QFETCH(QStringList, clicks);
    QFETCH(EventViewFlags, chosen);
    EventDialog dialog(flags);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const QString& click : clicks)
        Click(ButtonNamed(&dialog, click));
    Click(ButtonNamed(&dialog, QStringLiteral("OK")));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.Flags() == chosen);
}

void TestEventDialog::okStoresAndTheNextRecordsFollow_data()
{
    QTest::addColumn<Flags>("stored");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<Flags>("storedAfter");
    QTest::addColumn<QStringList>("listedBefore");
    QTest::addColumn<QStringList>("listedAfter");

    const QStringList alarms{QStringLiteral("Door open"), QStringLiteral("Mains failure")};
    const QStringList events{QStringLiteral("Mains restored"), QStringLiteral("Incoming Line 5 Off Hook.")};
    const QStringList system{QStringLiteral("Printer offline")};
    const Flags allSet{{"Call", "1"}, {"Fault", "1"}, {"Normal", "1"}};

    // The boxes showed the defaults: OK stores them, and the lists go on as before.
    QTest::newRow("nothing stored, OK unchanged")
        << Flags{} << QStringList{} << allSet << alarms + events << alarms + events;
    // Alarms pass on either flag.
    QTest::newRow("fault cleared, call set")
        << allSet << QStringList{kFault} << Flags{{"Call", "1"}, {"Fault", "0"}, {"Normal", "1"}} << alarms + events
        << alarms + events;
    QTest::newRow("fault and call cleared")
        << allSet << QStringList{kFault, kCall} << Flags{{"Call", "0"}, {"Fault", "0"}, {"Normal", "1"}}
        << alarms + events << events;
    QTest::newRow("warnings cleared from nothing stored")
        << Flags{} << QStringList{kWarnings} << Flags{{"Call", "1"}, {"Fault", "1"}, {"Normal", "0"}}
        << alarms + events << alarms;
    QTest::newRow("call set alone")
        << Flags{{"Call", "0"}, {"Fault", "0"}, {"Normal", "0"}} << QStringList{kCall}
        << Flags{{"Call", "1"}, {"Fault", "0"}, {"Normal", "0"}} << QStringList{} << alarms;
    // The line messages go with the events.
    QTest::newRow("warnings cleared")
        << allSet << QStringList{kWarnings} << Flags{{"Call", "1"}, {"Fault", "1"}, {"Normal", "0"}}
        << alarms + events << alarms;
    QTest::newRow("warnings set alone")
        << Flags{{"Call", "0"}, {"Fault", "0"}, {"Normal", "0"}} << QStringList{kWarnings}
        << Flags{{"Call", "0"}, {"Fault", "0"}, {"Normal", "1"}} << QStringList{} << events;
    QTest::newRow("clicked twice")
        << allSet << QStringList{kWarnings, kWarnings} << allSet << alarms + events << alarms + events;
    // System records have no box: their flag stays as stored and goes on deciding.
    QTest::newRow("system left as stored")
        << Flags{{"Call", "1"}, {"Fault", "1"}, {"Normal", "1"}, {"System", "1"}} << QStringList{kFault, kCall, kWarnings}
        << Flags{{"Call", "0"}, {"Fault", "0"}, {"Normal", "0"}, {"System", "1"}} << alarms + events + system
        << system;
    QTest::newRow("edited by hand to 5, OK unchanged")
        << Flags{{"Call", "0"}, {"Fault", "5"}, {"Normal", "0"}} << QStringList{}
        << Flags{{"Call", "0"}, {"Fault", "1"}, {"Normal", "0"}} << alarms << alarms;
}

void TestEventDialog::okStoresAndTheNextRecordsFollow()
{
    QFETCH(Flags, stored);
    QFETCH(QStringList, clicks);
    QFETCH(Flags, storedAfter);
    QFETCH(QStringList, listedBefore);
    QFETCH(QStringList, listedAfter);
    Pty one;
    WindowStation station({{1, &one}}, 16, StoredText(stored));
    ScriptedMessages messages;
    QVERIFY(station.Start());
    const CQuorvelDoc& document = *station.app->Document(1);

    for (const auto& message : kMessages)
        QVERIFY2(SendMessage(one, message.first), qPrintable(message.second));
    QTRY_COMPARE_WITH_TIMEOUT(Listed(document), listedBefore, 10000);

    QVERIFY(RunCommand(station.Frame(), ID_EVENT_VIEW, [&](QDialog* dialog) {
        for (const QString& click : clicks)
            Click(ButtonNamed(dialog, click));
        Click(ButtonNamed(dialog, QStringLiteral("OK")));
    }));
    for (auto it = storedAfter.begin(); it != storedAfter.end(); ++it)
        QCOMPARE(ProfileStore().value(QStringLiteral("Settings/") + it.key()).toString(), it.value());

    // What was listed stays; what comes next is listed by the new flags, and all of it archived.
    for (const auto& message : kMessages)
        QVERIFY2(SendMessage(one, message.first), qPrintable(message.second));
    QTRY_VERIFY_WITH_TIMEOUT(station.Archive(1).count("Printer offline") == 2, 10000);
    QCOMPARE(Listed(document), listedBefore + listedAfter);
    for (const auto& message : kMessages)
        QCOMPARE(station.Archive(1).count(message.second.toLatin1()), 2);
    QVERIFY(messages.texts.isEmpty());
}

void TestEventDialog::cancelStoresNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << QStringLiteral("Cancel");
    QTest::newRow("Escape key") << QStringLiteral("Escape");
    QTest::newRow("close box") << QStringLiteral("close");
}

void TestEventDialog::cancelStoresNothing()
{
    QFETCH(QString, how);
    ChannelWindows windows(2);
    Store({{"Call", "1"}, {"Fault", "0"}, {"Normal", "1"}});
    const QMap<QString, QVariant> before = StoreContents();

    QList<bool> clicked;
    QVERIFY(RunCommand(windows.Frame(), ID_EVENT_VIEW, [&](QDialog* dialog) {
        for (const QString& text : {kFault, kWarnings, kCall})
            Click(ButtonNamed(dialog, text));
        clicked = Boxes(dialog);
        if (how == QLatin1String("Cancel"))
            Click(ButtonNamed(dialog, how));
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
    }));
    QCOMPARE(clicked, (QList<bool>{true, false, false}));
    QCOMPARE(StoreContents(), before);

    // The next opening shows what is stored, and records are listed by it.
    QList<bool> reopened;
    QVERIFY(RunCommand(windows.Frame(), ID_EVENT_VIEW, [&](QDialog* dialog) {
        reopened = Boxes(dialog);
        Click(ButtonNamed(dialog, QStringLiteral("Cancel")));
    }));
    QCOMPARE(reopened, (QList<bool>{false, true, true}));
    windows.Add(1, kBlackEvent);
    windows.Add(1, kBlueAlarm);
    QCOMPARE(windows.Doc(1).GetEventCount(), 2);
}

QTEST_MAIN(TestEventDialog)
#include "tst_eventdialog.moc"
