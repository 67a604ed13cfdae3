#include "comms/PortSettings.h"
#include "core/Strings.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/ui/DialogDriver.h"
#include "ui/CommsDialog.h"
#include "ui/NumLinesDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

Q_DECLARE_METATYPE(LineSettings)

namespace {

const QStringList kLabels{"&Baud Rate:", "&Data Bits:", "&Parity:", "&Stop Bits:", "&Flow Control:"};

// A page as the sheet shows it the first time its tab is chosen.
template <typename Page>
void ShowFirstTime(Page& page)
{
    page.Initialise();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
}

QStringList Selected(QWidget* page)
{
    QStringList selected;
    for (const QString& label : kLabels) {
        QComboBox* list = ListLabelled(page, label);
        selected << (list->currentIndex() < 0 ? QString() : list->currentText());
    }
    return selected;
}

QList<int> Values(const LineSettings& line)
{
    return {line.baud, line.dataBits, line.parity, line.stopBits, line.shake};
}

} // namespace

// The COM Settings and Line Count pages by themselves: what they show of the values they are
// given, and what they give back when the sheet is confirmed.
class TestCommsDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsTheStoredSettings_data();
    void showsTheStoredSettings();
    void confirmedGivesTheChoice_data();
    void confirmedGivesTheChoice();
    void pageWithoutPortAsksNothing();
    void lineCountPage_data();
    void lineCountPage();
};

void TestCommsDialog::showsTheStoredSettings_data()
{
    QTest::addColumn<LineSettings>("stored");   // baud, data bits, parity, stop bits, shake
    QTest::addColumn<QStringList>("selected");  // baud, data, parity, stop, flow; "" for none

    QTest::newRow("9600 8N1") << LineSettings{5, 3, 0, 0, 0} << QStringList{"9600", "8", "None", "1", "None"};
    QTest::newRow("last entries") << LineSettings{11, 3, 4, 2, 4}
                                  << QStringList{"256000", "8", "Space", "2", "Xon / Xoff"};
    QTest::newRow("a missing record") << LineSettings{0, 0, 0, 0, 0} << QStringList{"300", "5", "None", "1", "None"};
    // A stored index outside its list, or one that could not be read (-1), selects nothing.
    QTest::newRow("beyond each list") << LineSettings{12, 4, 5, 3, -1} << QStringList{"", "", "", "", ""};
    QTest::newRow("not numbers") << LineSettings{-1, -1, -1, -1, -1} << QStringList{"", "", "", "", ""};
    // Any handshake bit but XON/XOFF alone is Hardware.
    QTest::newRow("shake 1 is hardware") << LineSettings{5, 3, 0, 0, 1} << QStringList{"9600", "8", "None", "1", "Hardware"};
    QTest::newRow("shake 2 is hardware") << LineSettings{5, 3, 0, 0, 2} << QStringList{"9600", "8", "None", "1", "Hardware"};
    QTest::newRow("shake 3 is hardware") << LineSettings{5, 3, 0, 0, 3} << QStringList{"9600", "8", "None", "1", "Hardware"};
    QTest::newRow("shake 7 is xon/xoff") << LineSettings{5, 3, 0, 0, 7}
                                         << QStringList{"9600", "8", "None", "1", "Xon / Xoff"};
}

void TestCommsDialog::showsTheStoredSettings()
{
    QFETCH(LineSettings, stored);
    QFETCH(QStringList, selected);
    CCommsDialog page(1, 3, stored);
    ShowFirstTime(page);
    QCOMPARE(page.Caption(), QStringLiteral("COM port settings"));
    QCOMPARE(Selected(&page), selected);
    QCOMPARE(ListLabelled(&page, kLabels.first())->count(), 12);
}

void TestCommsDialog::confirmedGivesTheChoice_data()
{
    QTest::addColumn<LineSettings>("stored");
    QTest::addColumn<QStringList>("choices");  // "label=entry"
    QTest::addColumn<int>("answer");           // to the warning
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QList<int>>("chosen");    // baud, data bits, parity, stop bits, shake

    const int ok = IUserMessages::AnswerOk;
    QTest::newRow("unchanged") << LineSettings{5, 3, 0, 0, 0} << QStringList{} << ok << true << QList<int>{5, 3, 0, 0, 0};
    QTest::newRow("19200, 2 stop bits") << LineSettings{5, 3, 0, 0, 0} << QStringList{"Baud Rate=19200", "Stop Bits=2"}
                                        << ok << true << QList<int>{7, 3, 0, 2, 0};
    QTest::newRow("hardware is 3") << LineSettings{5, 3, 0, 0, 0} << QStringList{"Flow Control=Hardware"} << ok << true
                                   << QList<int>{5, 3, 0, 0, 3};
    QTest::newRow("shake 1 given back as 3") << LineSettings{5, 3, 0, 0, 1} << QStringList{} << ok << true
                                             << QList<int>{5, 3, 0, 0, 3};
    QTest::newRow("xon/xoff is 4") << LineSettings{5, 3, 0, 0, 0} << QStringList{"Flow Control=Xon / Xoff"} << ok
                                   << true << QList<int>{5, 3, 0, 0, 4};
    // A list without a selection is given back as -1: its stored value stays as it is.
    QTest::newRow("beyond the lists") << LineSettings{12, 4, 5, 3, -1} << QStringList{"Stop Bits=2"} << ok << true
                                      << QList<int>{-1, -1, -1, 2, -1};
    QTest::newRow("warning cancelled") << LineSettings{5, 3, 0, 0, 0} << QStringList{"Baud Rate=300"}
                                       << int(IUserMessages::AnswerCancel) << false << QList<int>{0, 3, 0, 0, 0};
}

void TestCommsDialog::confirmedGivesTheChoice()
{
    QFETCH(LineSettings, stored);
    QFETCH(QStringList, choices);
    QFETCH(int, answer);
    QFETCH(bool, confirmed);
    QFETCH(QList<int>, chosen);
    ScriptedMessages messages;
    messages.answers = {answer};
    CCommsDialog page(1, 3, stored);
    ShowFirstTime(page);
    for (const QString& choice : choices) {
        const qsizetype equals = choice.indexOf(QLatin1Char('='));
        QComboBox* list = ListLabelled(&page, QLatin1Char('&') + choice.left(equals) + QLatin1Char(':'));
        QVERIFY2(list && Choose(list, choice.mid(equals + 1)), qPrintable(choice));
    }
    QVERIFY(!page.Confirmed());
    page.OnOK();
    QCOMPARE(messages.texts, QStringList{QString::fromLatin1(Str::kComSettingsWarning)});
    QCOMPARE(messages.icons, QList<IUserMessages::Icon>{IUserMessages::Icon::Exclamation});
    QCOMPARE(page.Confirmed(), confirmed);
    QCOMPARE(Values(page.Chosen()), chosen);
}

void TestCommsDialog::pageWithoutPortAsksNothing()
{
    ScriptedMessages messages;
    CCommsDialog page(3, 0, LineSettings{5, 3, 0, 0, 0});
    ShowFirstTime(page);
    QStringList notes;
    for (const QLabel* label : page.findChildren<QLabel*>())
        notes << label->text();
    QVERIFY2(notes.contains(QString::fromLatin1(Str::kChannelHasNoPort).arg(3)), qPrintable(notes.join(" / ")));
    for (const QComboBox* list : page.findChildren<QComboBox*>()) {
        QVERIFY(!list->isEnabled());
        QCOMPARE(list->currentIndex(), -1);
    }
    page.OnOK();
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(!page.Confirmed());
}

void TestCommsDialog::lineCountPage_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<QString>("click");  // a radio button, or none
    QTest::addColumn<QString>("shown");  // the button checked afterwards
    QTest::addColumn<int>("chosen");

    QTest::newRow("64") << 64 << QString() << "64 Line" << 64;
    QTest::newRow("40") << 40 << QString() << "40 Line" << 40;
    QTest::newRow("50 shown as 40") << 50 << QString() << "40 Line" << 40;
    QTest::newRow("40 chosen") << 64 << "40 Line" << "40 Line" << 40;
    QTest::newRow("64 chosen") << 40 << "64 Line" << "64 Line" << 64;
}

void TestCommsDialog::lineCountPage()
{
    QFETCH(int, given);
    QFETCH(QString, click);
    QFETCH(QString, shown);
    QFETCH(int, chosen);
    NumLinesDialog page(2, given);
    QSignalSpy firstShown(&page, &CPropertyPage::FirstShown);
    ShowFirstTime(page);
    page.Initialise();  // shown again: not the first time
    QCOMPARE(firstShown.count(), 1);
    if (!click.isEmpty())
        Click(ButtonNamed(&page, click));
    QString checked;
    for (const QRadioButton* button : page.findChildren<QRadioButton*>()) {
        if (button->isChecked())
            checked = button->text();
    }
    QCOMPARE(checked, shown);
    QCOMPARE(page.SelectedLineCount(), chosen);
}

QTEST_MAIN(TestCommsDialog)
#include "tst_commsdialog.moc"
