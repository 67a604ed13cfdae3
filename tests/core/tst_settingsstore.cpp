#include "core/SettingsStore.h"
#include "tests/support/TestStation.h"

#include <QtTest>

// Text values of the settings file written by hand, found under the names QSettings gives them.
class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void handWrittenText_data();
    void handWrittenText();
};

void TestSettingsStore::handWrittenText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");  // null: the default
    QTest::newRow("blank in a section name") << QByteArray("[COM3%20Settings]\nName=a, b\n") << "COM3 Settings"
                                             << "Name" << "a, b";
    QTest::newRow("other escapes in names") << QByteArray("[A%2CB%U00e9]\nk%3D1=a, b\n") << QString::fromUtf8("A,B\u00e9")
                                            << "k=1" << "a, b";
    QTest::newRow("section names keep their case") << QByteArray("[channels]\n1=a, b\n") << "Channels" << "1"
                                                   << QString();
    QTest::newRow("blanks around names") << QByteArray("  [ Names ]  \n  k  =  a, b  \n") << "Names" << "k" << "a, b";
    QTest::newRow("last line of a key wins") << QByteArray("[S]\nk=a, b\n[T]\nk=x\n[S]\nk=c; d\n") << "S" << "k"
                                             << "c; d";
    QTest::newRow("a plain later line wins") << QByteArray("[S]\nk=a, b\nk=c\n") << "S" << "k" << "c";
    QTest::newRow("comment line") << QByteArray("[S]\n;k=a, b\n") << "S" << "k" << QString();
    QTest::newRow("continued line") << QByteArray("[S]\nj=x \\\nk=a, b\n") << "S" << "k" << QString();
    QTest::newRow("escaped by the store") << QByteArray("[S]\nk=a\\tb, c\n") << "S" << "k" << QString();
}

void TestSettingsStore::handWrittenText()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    TestStation station;
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), file);
    QCOMPARE(GetProfileString(section, key, QString()), value);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
