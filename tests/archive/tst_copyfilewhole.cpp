#include "archive/CopyFileWhole.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestCopyFileWhole : public QObject
{
    Q_OBJECT
private slots:
    void copy_data();
    void copy();
    void linksOnTheMedium_data();
    void linksOnTheMedium();
};

void TestCopyFileWhole::copy_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("before");   // at the destination; empty when there is none
    QTest::addColumn<qint64>("stopAt");       // bytes copied when the copy is told to stop; -1: never
    QTest::addColumn<qint64>("sizeLimit");    // largest file the medium takes; 0: no limit
    QTest::addColumn<int>("error");
    const QByteArray older("an older copy");
    QTest::newRow("new copy, several chunks") << 200000 << QByteArray() << qint64(-1) << qint64(0) << 0;
    QTest::newRow("empty file") << 0 << QByteArray() << qint64(-1) << qint64(0) << 0;
    QTest::newRow("replaces an older copy") << 5000 << older << qint64(-1) << qint64(0) << 0;
    QTest::newRow("medium full part way, no older copy") << 200000 << QByteArray() << qint64(-1) << qint64(100000) << EFBIG;
    QTest::newRow("medium full part way, older copy kept") << 200000 << older << qint64(-1) << qint64(100000) << EFBIG;
    QTest::newRow("stopped part way, older copy kept") << 200000 << older << qint64(65536) << qint64(0) << ECANCELED;
}

void TestCopyFileWhole::copy()
{
    QFETCH(int, size);
    QFETCH(QByteArray, before);
    QFETCH(qint64, stopAt);
    QFETCH(qint64, sizeLimit);
    QFETCH(int, error);
    QTemporaryDir station;
    QTemporaryDir medium;
    const QString source = station.filePath(QStringLiteral("North Gate 20060307.krv"));
    const QString destination = medium.filePath(QStringLiteral("North Gate 20060307.krv"));
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7);
    Write(source, bytes);
    if (!before.isEmpty())
        Write(destination, before);

    FileSizeLimit limit(sizeLimit ? sizeLimit : RLIM_INFINITY);
    QVERIFY(limit.IsSet());
    qint64 lastCopied = -1;
    const int result = CopyFileWhole(source, destination, [&](qint64 copied, qint64 total) {
        lastCopied = copied;
        return total == size && copied != stopAt;
    });
    limit.Lift();

    QCOMPARE(result, error);
    const QStringList expected = error && before.isEmpty() ? QStringList{} : QStringList{QFileInfo(destination).fileName()};
    QCOMPARE(QDir(medium.path()).entryList(QDir::Files | QDir::Hidden), expected);
    QCOMPARE(ReadAll(destination), error ? before : bytes);
    if (!error)
        QVERIFY(lastCopied >= 0);
}

void TestCopyFileWhole::linksOnTheMedium_data()
{
    QTest::addColumn<QString>("linkName");  // planted on the medium, leading to another user's file
    QTest::newRow("as the part file") << QStringLiteral("North Gate 20060307.krv.part");
    QTest::newRow("as the copy") << QStringLiteral("North Gate 20060307.krv");
}

// A link planted on the medium is replaced, never written through.
void TestCopyFileWhole::linksOnTheMedium()
{
    QFETCH(QString, linkName);
    QTemporaryDir station, medium, elsewhere;
    const QString source = station.filePath(QStringLiteral("North Gate 20060307.krv"));
    const QString destination = medium.filePath(QStringLiteral("North Gate 20060307.krv"));
    const QString target = elsewhere.filePath(QStringLiteral("passwd"));
    Write(source, QByteArray("archive bytes"));
    Write(target, QByteArray("not theirs"));
    QVERIFY(QFile::link(target, medium.filePath(linkName)));

    QCOMPARE(CopyFileWhole(source, destination, {}), 0);
    QCOMPARE(ReadAll(target), QByteArray("not theirs"));
    QVERIFY(!QFileInfo(destination).isSymLink());
    QCOMPARE(ReadAll(destination), QByteArray("archive bytes"));
    QCOMPARE(QDir(medium.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList{QFileInfo(destination).fileName()});
}

QTEST_GUILESS_MAIN(TestCopyFileWhole)
#include "tst_copyfilewhole.moc"
