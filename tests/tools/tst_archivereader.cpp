// The archive tool's reader on a file that changes while it reads.
#include "ArchiveReader.h"

#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestArchiveReader : public QObject
{
    Q_OBJECT
private slots:
    void fileShrinksWhileRead_data();
    void fileShrinksWhileRead();
};

// A file cut shorter (by hand, or by another program) after the reader took its size: the
// records up to the new end are read, and the damage names the old and new sizes, not a record
// as long as everything that went missing.
void TestArchiveReader::fileShrinksWhileRead_data()
{
    QTest::addColumn<qint64>("newSize");
    QTest::newRow("within the first read") << qint64(100000);
    QTest::newRow("to the header") << qint64(kArchiveHeaderSize);
    QTest::newRow("empty") << qint64(0);
}

void TestArchiveReader::fileShrinksWhileRead()
{
    QFETCH(qint64, newSize);
    TestStation station;
    ScriptedMessages messages;
    QVERIFY(QDir().mkpath(station.Path(QStringLiteral("Archives"))));
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "Y", "10", "", "Door open"}}}));
    Clock::SetNow(QDateTime(QDate(2024, 5, 6), QTime(10, 0)));
    {
        CQuorvelDoc doc(QStringLiteral("North Gate"));
        doc.SetConnection(1, 1);
        QCOMPARE(doc.HandleMessage(QByteArray("\x01\x07\x03", 3)), 1);
    }
    const QString path = station.Path(QStringLiteral("Archives/North Gate 20240506.krv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray written = file.readAll();
    const QByteArray record = written.mid(kArchiveHeaderSize);
    QVERIFY(!record.isEmpty());
    // Far more than one read of the reader, so that the rest is read after the cut.
    const int records = int(3 * ArchiveReader::kBufferSize / record.size());
    QVERIFY(file.seek(0));
    QVERIFY(file.write(ArchiveHeader() + record.repeated(records)) > 0);
    QVERIFY(file.flush());
    const qint64 oldSize = file.size();

    ArchiveReader reader;
    QStringList damage;
    reader.SetDamageHandler([&](const QString& what, qint64, int) { damage << what; });
    QString error;
    QVERIFY2(reader.Open(path, false, error), qPrintable(error));
    RecordView view;
    QCOMPARE(reader.Next(view), ArchiveReader::Outcome::Record);
    QVERIFY(file.resize(newSize));
    int read = 1;
    ArchiveReader::Outcome outcome;
    while ((outcome = reader.Next(view)) == ArchiveReader::Outcome::Record)
        ++read;
    QCOMPARE(outcome, ArchiveReader::Outcome::End);
    QVERIFY(read < records);
    QCOMPARE(damage, QStringList{QStringLiteral("the file shrank from %1 to %2 bytes while it was read")
                                     .arg(oldSize)
                                     .arg(newSize)});
}

QTEST_GUILESS_MAIN(TestArchiveReader)
#include "tst_archivereader.moc"
