#include "core/EventViewFlags.h"
#include "core/SettingsStore.h"
#include "tests/support/TestStation.h"

#include <QSettings>
#include <QtTest>

Q_DECLARE_METATYPE(EventViewFlags)

namespace {

// A station whose settings file holds `settings` as typed.
void StoreText(const TestStation& station, const QByteArray& settings)
{
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), settings);
    ResetProfileStore();
}

} // namespace

// The flags Event View shows and stores, read from and written to the settings file.
class TestEventViewFlags : public QObject
{
    Q_OBJECT

private slots:
    void loadsTheFlagsInForce_data();
    void loadsTheFlagsInForce();
    void storesThreeFlags_data();
    void storesThreeFlags();
};

void TestEventViewFlags::loadsTheFlagsInForce_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<EventViewFlags>("flags");

    // The flags the lists follow: every kind is listed while nothing is stored.
    QTest::newRow("nothing stored") << QByteArray() << EventViewFlags{true, true, true};
    QTest::newRow("one flag stored, the others in force by default")
        << QByteArray("[Settings]\nFault=0\n") << EventViewFlags{true, false, true};
    QTest::newRow("all set") << QByteArray("[Settings]\nCall=1\nFault=1\nNormal=1\n") << EventViewFlags{true, true, true};
    QTest::newRow("fault only") << QByteArray("[Settings]\nCall=0\nFault=1\nNormal=0\n") << EventViewFlags{false, true, false};
    QTest::newRow("call only") << QByteArray("[Settings]\nCall=1\nFault=0\nNormal=0\n") << EventViewFlags{true, false, false};
    QTest::newRow("edited by hand to 5") << QByteArray("[Settings]\nCall=0\nFault=0\nNormal=5\n")
                                         << EventViewFlags{false, false, true};
    // A value that is no number leaves the flag at its default, for the lists and the box alike.
    QTest::newRow("not a number") << QByteArray("[Settings]\nCall=yes\nFault=0\nNormal=0\n")
                                  << EventViewFlags{true, false, false};
}

void TestEventViewFlags::loadsTheFlagsInForce()
{
    QFETCH(QByteArray, stored);
    QFETCH(EventViewFlags, flags);
    TestStation station;
    StoreText(station, stored);
    const EventViewFlags loaded = EventViewFlags::Load();
    QCOMPARE(loaded.call, flags.call);
    QCOMPARE(loaded.fault, flags.fault);
    QCOMPARE(loaded.normal, flags.normal);
}

void TestEventViewFlags::storesThreeFlags_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<EventViewFlags>("flags");
    QTest::addColumn<QStringList>("after");  // Call, Fault, Normal, System as stored afterwards

    QTest::newRow("nothing stored, all set") << QByteArray() << EventViewFlags{true, true, true}
                                             << QStringList{"1", "1", "1", "missing"};
    QTest::newRow("all cleared") << QByteArray("[Settings]\nCall=1\nFault=1\nNormal=1\n") << EventViewFlags{false, false, false}
                                 << QStringList{"0", "0", "0", "missing"};
    // System has no box: it stays as stored.
    QTest::newRow("system left as stored") << QByteArray("[Settings]\nSystem=1\n") << EventViewFlags{false, true, false}
                                           << QStringList{"0", "1", "0", "1"};
    QTest::newRow("edited by hand to 5") << QByteArray("[Settings]\nCall=0\nFault=5\nNormal=0\n")
                                         << EventViewFlags{false, true, false} << QStringList{"0", "1", "0", "missing"};
}

void TestEventViewFlags::storesThreeFlags()
{
    QFETCH(QByteArray, stored);
    QFETCH(EventViewFlags, flags);
    QFETCH(QStringList, after);
    TestStation station;
    StoreText(station, stored);
    flags.Store();
    // The documents read the flags stored, from the next record on.
    int call = 0, fault = 0, normal = 0, system = 0;
    ReadEventViewSettings(call, fault, normal, system);
    QCOMPARE(QList<int>({call, fault, normal}), QList<int>({int(flags.call), int(flags.fault), int(flags.normal)}));
    ProfileStore().sync();
    QSettings file(station.SettingsFile(), QSettings::IniFormat);
    QStringList written;
    for (const char* key : {"Call", "Fault", "Normal", "System"})
        written << file.value(QStringLiteral("Settings/") + QLatin1String(key), QStringLiteral("missing")).toString();
    QCOMPARE(written, after);
}

QTEST_GUILESS_MAIN(TestEventViewFlags)
#include "tst_eventviewflags.moc"
