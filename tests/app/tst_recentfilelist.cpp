#include "app/RecentFileList.h"
#include "core/SettingsStore.h"
#include "tests/support/TestStation.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

// The eight archives most recently opened, newest first, as the File menu lists them.
class TestRecentFileList : public QObject
{
    Q_OBJECT

private slots:
    void changes_data();
    void changes();
    void readList_data();
    void readList();
    void writtenAndReadBack();
};

void TestRecentFileList::changes_data()
{
    QTest::addColumn<QStringList>("steps");  // "+path" opens a file, "-n" removes entry n
    QTest::addColumn<QStringList>("files");
    QTest::newRow("newest first") << QStringList{"+/a/1.krv", "+/a/2.krv"} << QStringList{"/a/2.krv", "/a/1.krv"};
    QTest::newRow("opened again moves up")
        << QStringList{"+/a/1.krv", "+/a/2.krv", "+/a/3.krv", "+/a/1.krv"} << QStringList{"/a/1.krv", "/a/3.krv", "/a/2.krv"};
    QTest::newRow("the same file spelled otherwise")
        << QStringList{"+/a/1.krv", "+/a/./b/../1.krv", "+//a//1.krv"} << QStringList{"/a/1.krv"};
    QTest::newRow("a ninth drops the oldest")
        << QStringList{"+/1", "+/2", "+/3", "+/4", "+/5", "+/6", "+/7", "+/8", "+/9"}
        << QStringList{"/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2"};
    QTest::newRow("relative to the station") << QStringList{"+Archives/x.krv"} << QStringList{"%1/Archives/x.krv"};
    QTest::newRow("remove") << QStringList{"+/1", "+/2", "+/3", "-1"} << QStringList{"/3", "/1"};
    QTest::newRow("remove out of range") << QStringList{"+/1", "-1", "--1"} << QStringList{"/1"};
}

void TestRecentFileList::changes()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, files);
    TestStation station;
    RecentFileList list;
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1Char('+')))
            list.Add(step.mid(1));
        else
            list.Remove(step.mid(1).toInt());
    }
    for (QString& file : files)
        file.replace(QStringLiteral("%1"), station.Dir());
    QCOMPARE(list.Files(), files);
}

void TestRecentFileList::readList_data()
{
    QTest::addColumn<QByteArray>("section");  // as typed into the settings file
    QTest::addColumn<QStringList>("files");
    QTest::newRow("none") << QByteArray() << QStringList{};
    QTest::newRow("in order") << QByteArray("File1=/b.krv\nFile2=/a.krv\n") << QStringList{"/b.krv", "/a.krv"};
    QTest::newRow("gaps and empty values")
        << QByteArray("File2=/b.krv\nFile3=\nFile5=/a.krv\n") << QStringList{"/b.krv", "/a.krv"};
    QTest::newRow("a file twice") << QByteArray("File1=/a.krv\nFile2=/a.krv\n") << QStringList{"/a.krv"};
    QTest::newRow("beyond eight") << QByteArray("File8=/8.krv\nFile9=/9.krv\n") << QStringList{"/8.krv"};
    QTest::newRow("commas and semicolons as typed")
        << QByteArray("File1=/site a, b/x.krv\nFile2=/c;d.krv\n") << QStringList{"/site a, b/x.krv", "/c;d.krv"};
}

void TestRecentFileList::readList()
{
    QFETCH(QByteArray, section);
    QFETCH(QStringList, files);
    TestStation station;
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"), "[Recent%20File%20List]\n" + section);
    RecentFileList list;
    QSignalSpy changed(&list, &RecentFileList::Changed);
    list.ReadList();
    QCOMPARE(list.Files(), files);
    QCOMPARE(changed.size(), 1);
}

void TestRecentFileList::writtenAndReadBack()
{
    TestStation station;
    station.WriteFile(QStringLiteral("config/Brannock/Quorvel.ini"),
                      "[Recent%20File%20List]\nFile1=/old1.krv\nFile2=/old2.krv\nFile3=/old3.krv\n");
    RecentFileList list;
    list.ReadList();
    list.Remove(2);
    list.Remove(1);
    list.Add(QStringLiteral("/site a, b/x.krv"));
    list.WriteList();
    ProfileStore().sync();
    ResetProfileStore();

    RecentFileList again;
    again.ReadList();
    QCOMPARE(again.Files(), (QStringList{"/site a, b/x.krv", "/old1.krv"}));
    QSettings file(station.SettingsFile(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("Recent File List/File3")), QVariant());
}

QTEST_GUILESS_MAIN(TestRecentFileList)
#include "tst_recentfilelist.moc"
