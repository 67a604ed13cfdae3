#include "archive/ArchiveFormat.h"
#include "archive/ArchiveSeals.h"
#include "archive/QuorvelDoc.h"
#include "archive/SealFile.h"
#include "core/Clock.h"
#include "core/SettingsKeys.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

const QByteArray kDoorOpen("\x01\x07\x03", 3);  // coded alarm 7

QDateTime At(int day, const QTime& time)
{
    return QDateTime(QDate(2024, 5, day), time);
}

QByteArray Sha256Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace

class TestArchiveSeals : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sealedAtMidnight();
    void sealedAtStartUp_data();
    void sealedAtStartUp();
    void sealFailureIsReported();
    void lineFormat_data();
    void lineFormat();

private:
    QString Archives() const { return m_station->Path(QStringLiteral("Archives")); }
    QString Archive(const QString& name) const { return Archives() + QLatin1Char('/') + name; }
    QByteArray ArchiveBytes(const QString& name) const { return m_station->ReadFile(QStringLiteral("Archives/") + name); }
    // sha256sum's own check of the station's seals: its exit status and output.
    int CheckWithCoreutils(QByteArray& output) const;

    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
};

void TestArchiveSeals::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    QVERIFY(QDir().mkpath(Archives()));
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "Y", "10", "", "Door open"}}}));
}

void TestArchiveSeals::cleanup()
{
    ArchiveSeals::WaitForDone();
    m_messages.reset();
    m_station.reset();
}

int TestArchiveSeals::CheckWithCoreutils(QByteArray& output) const
{
    QProcess check;
    check.setWorkingDirectory(Archives());
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral("sha256sum"), {QStringLiteral("-c"), QStringLiteral("--ignore-missing"),
                                              QLatin1String(Str::kSealFile)});
    if (!check.waitForFinished(10000))
        return -1;
    output = check.readAll();
    return check.exitCode();
}

void TestArchiveSeals::sealedAtMidnight()
{
    Clock::SetNow(At(6, QTime(23, 59, 58)));
    auto doc = std::make_unique<CQuorvelDoc>(QStringLiteral("North Gate"));
    doc->SetConnection(1, 2);
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    ArchiveSeals::WaitForDone();
    QVERIFY(!QFile::exists(Archive(QLatin1String(Str::kSealFile))));  // today's is never sealed

    Clock::SetNow(At(7, QTime(0, 0, 1)));
    QCOMPARE(doc->HandleMessage(kDoorOpen), 1);
    ArchiveSeals::WaitForDone();
    QCOMPARE(ArchiveBytes(QLatin1String(Str::kSealFile)),
             Sha256Hex(ArchiveBytes(QStringLiteral("North Gate 20240506.krv"))) + "  North Gate 20240506.krv\n");
    doc.reset();
    ArchiveSeals::WaitForDone();
    QCOMPARE(ArchiveBytes(QLatin1String(Str::kSealFile)).count('\n'), 1);

    QByteArray output;
    QCOMPARE(CheckWithCoreutils(output), 0);
    QCOMPARE(output, QByteArray("North Gate 20240506.krv: OK\n"));
    QVERIFY(m_messages->texts.isEmpty());
}

void TestArchiveSeals::sealedAtStartUp_data()
{
    QTest::addColumn<QByteArray>("sealsBefore");
    QTest::addColumn<QStringList>("sealedNow");

    const QByteArray day5 = Sha256Hex(ArchiveHeader() + "5") + "  East 20240505.krv\n";
    QTest::newRow("no seal file") << QByteArray()
                                  << QStringList{QStringLiteral("East 20240504.krv"), QStringLiteral("East 20240505.krv")};
    QTest::newRow("one day sealed before") << day5 << QStringList{QStringLiteral("East 20240504.krv")};
    // A line cut short by a power cut: the new line starts on a line of its own.
    QTest::newRow("torn last line") << day5 + "0123abc"
                                    << QStringList{QStringLiteral("East 20240504.krv")};
}

void TestArchiveSeals::sealedAtStartUp()
{
    QFETCH(QByteArray, sealsBefore);
    QFETCH(QStringList, sealedNow);

    Clock::SetNow(At(6, QTime(8, 0)));
    for (int day : {4, 5, 6})
        m_station->WriteFile(QStringLiteral("Archives/East 2024050%1.krv").arg(day), ArchiveHeader() + QByteArray::number(day));
    m_station->WriteFile(QStringLiteral("Archives/East 20240506.krv.invalid"), "x");
    m_station->WriteFile(QStringLiteral("Archives/notes.krv"), "x");
    if (!sealsBefore.isEmpty())
        m_station->WriteFile(QStringLiteral("Archives/SHA256SUMS"), sealsBefore);

    ArchiveSeals::SealEarlierDays();
    ArchiveSeals::WaitForDone();

    SealFile::Seals seals;
    QString error;
    QVERIFY(SealFile::Read(Archive(QLatin1String(Str::kSealFile)), seals, error));
    QCOMPARE(seals.size(), size_t(2));  // the days before today, once each
    for (const QString& name : sealedNow) {
        QCOMPARE(seals[QFile::encodeName(name)], QByteArrayList{Sha256Hex(ArchiveBytes(name))});
    }
    QCOMPARE(seals.count("East 20240506.krv"), size_t(0));
    QVERIFY(ArchiveBytes(QLatin1String(Str::kSealFile)).endsWith(".krv\n"));
    QByteArray output;
    QCOMPARE(CheckWithCoreutils(output), 0);
    QVERIFY2(output.contains("East 20240504.krv: OK\n"), output.constData());
    QVERIFY2(output.contains("East 20240505.krv: OK\n"), output.constData());
    // Housekeeping's removal leaves the line, which the check passes over.
    QVERIFY(QFile::remove(Archive(QStringLiteral("East 20240504.krv"))));
    QCOMPARE(CheckWithCoreutils(output), 0);
    QVERIFY(m_messages->texts.isEmpty());
}

void TestArchiveSeals::sealFailureIsReported()
{
    Clock::SetNow(At(6, QTime(8, 0)));
    m_station->WriteFile(QStringLiteral("Archives/East 20240505.krv"), ArchiveHeader());
    // A seal file that cannot be written.
    QVERIFY(QDir().mkpath(Archive(QLatin1String(Str::kSealFile))));
    ArchiveSeals::SealEarlierDays();
    ArchiveSeals::WaitForDone();
    // Posted to this thread, as boxes from other threads are.
    QTRY_COMPARE(m_messages->texts.size(), 1);
    QVERIFY2(m_messages->texts.first().startsWith(QStringLiteral("Archive ")), qPrintable(m_messages->texts.first()));
    QVERIFY(m_messages->texts.first().contains(QStringLiteral("could not be sealed")));
}

void TestArchiveSeals::lineFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("line");
    const QByteArray hash(64, 'a');
    QTest::newRow("plain") << QStringLiteral("North Gate 20240506.krv") << hash + "  North Gate 20240506.krv\n";
    QTest::newRow("latin") << QStringLiteral("Tür 20240506.krv") << hash + "  T\xc3\xbcr 20240506.krv\n";
    QTest::newRow("backslash") << QStringLiteral("a\\b 20240506.krv") << '\\' + hash + "  a\\\\b 20240506.krv\n";
}

void TestArchiveSeals::lineFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, line);
    const QByteArray hash(64, 'a');
    QCOMPARE(SealFile::Line(hash, name), line);
    QByteArray read;
    QCOMPARE(SealFile::NameOf(line.chopped(1), &read), QFile::encodeName(name));
    QCOMPARE(read, hash);
}

QTEST_GUILESS_MAIN(TestArchiveSeals)
#include "tst_archiveseals.moc"
