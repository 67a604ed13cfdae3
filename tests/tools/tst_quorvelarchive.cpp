// quorvel-archive run as a process on archives the program's own document wrote.
#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "tests/events/AlarmFixture.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <memory>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

const QByteArray kDoorOpen("\x01\x07\x03", 3);                              // coded alarm 7: kind 0
const QByteArray kLineClear("\x92\x00" "05", 4);                            // type 146: kind 1
const QByteArray kUnknownType("\x01\x01xyz", 5);                            // kind 3, never listed
const QByteArray kLatin1Text = QByteArray("\x84\x00", 2) + "Caf\xe9 \"A\",B";  // type 132: kind 0
const QByteArray kControlText = QByteArray("\x84\x00", 2) + "Bell\x07\x1b[2J";     // type 132: kind 0

const QByteArray kDoorOpenLine = "10:00:00 R A Event 007: Door open 13";
const QByteArray kLineClearLine = "10:00:00 Operator's Line 5 Clear Down";

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestQuorvelArchive : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commandLine_data();
    void commandLine();
    void show_data();
    void show();
    void damaged_data();
    void damaged();
    void search_data();
    void search();
    void searchText_data();
    void searchText();
    void archiveInUse();
    void manyRecords();
    void sixteenBitText();
    void csvAndJsonColumns();
    void notAFile_data();
    void notAFile();
    void outputNotWritten_data();
    void outputNotWritten();
    void searchWarningsAndErrors_data();
    void searchWarningsAndErrors();

private:
    // Standard output to outFile when one is named (e.g. /dev/full), else read.
    Run Tool(const QStringList& args, const QString& outFile = {}) const;
    QString Archive(const QString& name) const { return m_station->Path(QStringLiteral("Archives/") + name); }
    // The program's document logs the messages on the given day of May 2024 at 10:00.
    void Log(const QString& channel, int day, const QList<QByteArray>& messages);

    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<ScriptedMessages> m_messages;
};

void TestQuorvelArchive::init()
{
    m_station = std::make_unique<TestStation>();
    m_messages = std::make_unique<ScriptedMessages>();
    QVERIFY(QDir().mkpath(m_station->Path(QStringLiteral("Archives"))));
    QVERIFY(LoadAlarmFixture({{7, {"ALARM", "Y", "10", "", "Door open"}}}));
}

void TestQuorvelArchive::cleanup()
{
    m_messages.reset();
    m_station.reset();
}

Run TestQuorvelArchive::Tool(const QStringList& args, const QString& outFile) const
{
    QProcess process;
    if (!outFile.isEmpty())
        process.setStandardOutputFile(outFile);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The display flags the tool reads are this station's settings.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_station->Path(QStringLiteral("config")));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ARCHIVE_TOOL), args);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void TestQuorvelArchive::Log(const QString& channel, int day, const QList<QByteArray>& messages)
{
    Clock::SetNow(QDateTime(QDate(2024, 5, day), QTime(10, 0)));
    CQuorvelDoc doc(channel);
    doc.SetConnection(1, 1);
    for (const QByteArray& m : messages)
        QCOMPARE(doc.HandleMessage(m), 1);
}

void TestQuorvelArchive::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");  // contained in standard output
    QTest::addColumn<QByteArray>("err");  // contained in standard error

    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("quorvel-archive list /") << QByteArray();
    QTest::newRow("help shows show") << QStringList{"--help"} << 0 << QByteArray("quorvel-archive show '") << QByteArray();
    QTest::newRow("help shows search") << QStringList{"--help"} << 0 << QByteArray("quorvel-archive search /")
                                       << QByteArray();
    QTest::newRow("no command") << QStringList{} << 2 << QByteArray() << QByteArray("No command given.");
    QTest::newRow("unknown command") << QStringList{"export", "x"} << 2 << QByteArray() << QByteArray("'export'");
    QTest::newRow("two stations") << QStringList{"list", "a", "b"} << 2 << QByteArray() << QByteArray("STATION");
    QTest::newRow("option of another command") << QStringList{"show", "a.krv", "--kind", "alarm"} << 2 << QByteArray()
                                               << QByteArray("--kind does not go with 'show'");
    QTest::newRow("unknown format") << QStringList{"show", "a.krv", "--format", "xml"} << 2 << QByteArray()
                                    << QByteArray("Unknown format 'xml'");
    QTest::newRow("missing station") << QStringList{"list", "/nonexistent/station"} << 2 << QByteArray()
                                     << QByteArray("no such folder");
    QTest::newRow("missing file") << QStringList{"show", "/nonexistent/a 20240506.krv"} << 2 << QByteArray()
                                  << QByteArray("/nonexistent/a 20240506.krv: ");
    QTest::newRow("repeated text") << QStringList{"search", "/nonexistent", "--text", "Door", "--text", "Gate"} << 2
                                   << QByteArray() << QByteArray("Option --text may be given once.");
    QTest::newRow("repeated format") << QStringList{"show", "a.krv", "--format", "csv", "--format", "json"} << 2
                                     << QByteArray() << QByteArray("Option --format may be given once.");
    QTest::newRow("from after to") << QStringList{"search", "/nonexistent", "--from", "2024-05-08", "--to", "20240507"}
                                   << 2 << QByteArray() << QByteArray("--from 2024-05-08 is after --to 20240507");
    QTest::newRow("help states the exit statuses") << QStringList{"--help"} << 0
                                                   << QByteArray("2 when an\nerror occurred, even if something was found")
                                                   << QByteArray();
}

void TestQuorvelArchive::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const Run run = Tool(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(out), run.out.constData());
    QVERIFY2(run.err.contains(err), run.err.constData());
}

void TestQuorvelArchive::show_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("call");  // the Call and Fault display flags
    QTest::addColumn<QByteArray>("expected");

    const QByteArray text = "alarm\tlisted\t#FFFFFF\t#0000FF\t" + kDoorOpenLine + "\n"
        "event\tlisted\t#FFFFFF\t#000000\t" + kLineClearLine + "\n"
        "other\thidden\t#FFFFFF\t#000000\t\n"
        "alarm\tlisted\t#FFFFFF\t#808080\t10:00:00 Alarm Clear: Caf\xc3\xa9 \"A\",B\n"
        "alarm\tlisted\t#FFFFFF\t#808080\t10:00:00 Alarm Clear: Bell??[2J\n";
    QTest::newRow("text") << "text" << 1 << text;
    QByteArray hidden = text;
    QTest::newRow("text, alarms not listed") << "text" << 0 << hidden.replace("alarm\tlisted", "alarm\thidden");
    QTest::newRow("csv") << "csv" << 1 << QByteArray(
        "channel,date,record,kind,listed,status,colour,fault,text_message,line\r\n"
        "North Gate,2024-05-06,1,alarm,1,#FFFFFF,#0000FF,0,0," + kDoorOpenLine + "\r\n"
        "North Gate,2024-05-06,2,event,1,#FFFFFF,#000000,0,1," + kLineClearLine + "\r\n"
        "North Gate,2024-05-06,3,other,0,#FFFFFF,#000000,0,1,\r\n"
        "North Gate,2024-05-06,4,alarm,1,#FFFFFF,#808080,0,1,\"10:00:00 Alarm Clear: Caf\xc3\xa9 \"\"A\"\",B\"\r\n"
        "North Gate,2024-05-06,5,alarm,1,#FFFFFF,#808080,0,1,\"10:00:00 Alarm Clear: Bell\x07\x1b[2J\"\r\n");
    const QByteArray place = "{\"channel\":\"North Gate\",\"date\":\"2024-05-06\",\"record\":";
    QTest::newRow("json") << "json" << 1 << QByteArray(
        place + "1,\"kind\":\"alarm\",\"listed\":true,\"status\":\"#FFFFFF\",\"colour\":\"#0000FF\","
                "\"fault\":false,\"text_message\":false,\"line\":\"" + kDoorOpenLine + "\"}\n"
        + place + "2,\"kind\":\"event\",\"listed\":true,\"status\":\"#FFFFFF\",\"colour\":\"#000000\","
                  "\"fault\":false,\"text_message\":true,\"line\":\"" + kLineClearLine + "\"}\n"
        + place + "3,\"kind\":\"other\",\"listed\":false,\"status\":\"#FFFFFF\",\"colour\":\"#000000\","
                  "\"fault\":false,\"text_message\":true,\"line\":\"\"}\n"
        + place + "4,\"kind\":\"alarm\",\"listed\":true,\"status\":\"#FFFFFF\",\"colour\":\"#808080\","
                  "\"fault\":false,\"text_message\":true,\"line\":\"10:00:00 Alarm Clear: Caf\\u00E9 \\\"A\\\",B\"}\n"
        + place + "5,\"kind\":\"alarm\",\"listed\":true,\"status\":\"#FFFFFF\",\"colour\":\"#808080\","
                  "\"fault\":false,\"text_message\":true,\"line\":\"10:00:00 Alarm Clear: Bell\\u0007\\u001B[2J\"}\n");
}

void TestQuorvelArchive::show()
{
    QFETCH(QString, format);
    QFETCH(int, call);
    QFETCH(QByteArray, expected);
    WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Call"), call);
    WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("Fault"), call);
    ProfileStore().sync();
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear, kUnknownType, kLatin1Text, kControlText});
    const Run run = Tool({QStringLiteral("show"), Archive(QStringLiteral("North Gate 20240506.krv")),
                          QStringLiteral("--format"), format});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, expected);
    QCOMPARE(run.exitCode, 0);
}

void TestQuorvelArchive::damaged_data()
{
    QTest::addColumn<int>("cutBytes");      // taken off the end
    QTest::addColumn<int>("lengthAt");      // a text length no text could have written here, or -1
    QTest::addColumn<bool>("badHeader");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("wholeLines");    // lines of standard output that are the records as written
    QTest::addColumn<QByteArray>("err");    // contained in standard error
    QTest::addColumn<QByteArray>("state");  // in the list

    // Records: 41 header bytes, then 25 + 36, 25 + 37 bytes.
    QTest::newRow("intact") << 0 << -1 << false << 0 << 2 << QByteArray() << QByteArray("\t2\t164\tok\n");
    QTest::newRow("cut mid-record") << 3 << -1 << false << 0 << 1
                                    << QByteArray("record 2 at byte 102: cut short: 59 byte(s)")
                                    << QByteArray("\t1\t161\tdamaged\n");
    QTest::newRow("cut in the text") << 5 << -1 << false << 0 << 1
                                     << QByteArray("record 2 at byte 102: cut short: 57 byte(s)")
                                     << QByteArray("\t1\t159\tdamaged\n");
    QTest::newRow("cut in the header") << 160 << -1 << false << 2 << 0 << QByteArray("not a Quorvel archive")
                                       << QByteArray("\t-\t4\tnot an archive\n");
    QTest::newRow("bad string length") << 0 << 41 + 61 + 20 << false << 0 << 1
                                       << QByteArray("record 2 at byte 102: a text length no record can have")
                                       << QByteArray("\tdamaged\n");
    QTest::newRow("bad header") << 0 << -1 << true << 2 << 0 << QByteArray("not a Quorvel archive")
                                << QByteArray("\t-\t164\tnot an archive\n");
}

void TestQuorvelArchive::damaged()
{
    QFETCH(int, cutBytes);
    QFETCH(int, lengthAt);
    QFETCH(bool, badHeader);
    QFETCH(int, exitCode);
    QFETCH(int, wholeLines);
    QFETCH(QByteArray, err);
    QFETCH(QByteArray, state);
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear});
    const QString path = Archive(QStringLiteral("North Gate 20240506.krv"));
    QByteArray bytes = FileBytes(path);
    QCOMPARE(bytes.size(), 164);
    bytes.chop(cutBytes);
    if (lengthAt >= 0)
        bytes.replace(lengthAt, 7, QByteArray::fromHex("ffffffffffff7f"));
    if (badHeader)
        bytes[30] = 'S';  // "%S" in place of "%s"
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"), bytes);

    const Run run = Tool({QStringLiteral("show"), path});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(err), run.err.constData());
    if (err.isEmpty())
        QCOMPARE(run.err, QByteArray());
    const QList<QByteArray> written = {"alarm\tlisted\t#FFFFFF\t#0000FF\t" + kDoorOpenLine,
                                       "event\tlisted\t#FFFFFF\t#000000\t" + kLineClearLine};
    const QList<QByteArray> lines = run.out.split('\n');
    for (int i = 0; i < wholeLines; ++i)
        QCOMPARE(lines.value(i), written.at(i));
    if (lengthAt >= 0)  // the damaged record as far as it was read, as the program lists it
        QCOMPARE(lines.value(wholeLines), QByteArray("event\tlisted\t#FFFFFF\t#000000\t"));

    const Run list = Tool({QStringLiteral("list"), m_station->Dir()});
    QCOMPARE(list.exitCode, 0);
    QVERIFY2(list.out.startsWith("CHANNEL\tDATE\tRECORDS\tBYTES\tSTATE\nNorth Gate\t2024-05-06\t"), list.out.constData());
    QVERIFY2(list.out.endsWith(state), list.out.constData());
}

void TestQuorvelArchive::search_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("expected");  // channel, date and display line of each record found

    const QByteArray gate6 = "North Gate\t2024-05-06\t";
    const QByteArray gate7 = "North Gate\t2024-05-07\t";
    const QByteArray yard6 = "Yard\t2024-05-06\t";
    QTest::newRow("everything, in date order") << QStringList{} << 0 << QByteArray(
        gate6 + kDoorOpenLine + "\n" + gate6 + kLineClearLine + "\n" + yard6 + kLineClearLine + "\n"
        + gate7 + kDoorOpenLine + "\n");
    QTest::newRow("channel and from") << QStringList{"--channel", "North Gate", "--from", "2024-05-07"} << 0
                                      << QByteArray(gate7 + kDoorOpenLine + "\n");
    QTest::newRow("to, compact date") << QStringList{"--to", "20240506", "--channel", "Yard"} << 0
                                      << QByteArray(yard6 + kLineClearLine + "\n");
    QTest::newRow("two channels") << QStringList{"--channel", "Yard", "--channel", "North Gate", "--to", "2024-05-06"}
                                  << 0 << QByteArray(gate6 + kDoorOpenLine + "\n" + gate6 + kLineClearLine + "\n"
                                                     + yard6 + kLineClearLine + "\n");
    QTest::newRow("kind") << QStringList{"--kind", "event"} << 0
                          << QByteArray(gate6 + kLineClearLine + "\n" + yard6 + kLineClearLine + "\n");
    QTest::newRow("text") << QStringList{"--text", "Door (open|forced) 1[0-9]$"} << 0
                          << QByteArray(gate6 + kDoorOpenLine + "\n" + gate7 + kDoorOpenLine + "\n");
    QTest::newRow("nothing found") << QStringList{"--text", "Door", "--kind", "event"} << 1 << QByteArray();
    QTest::newRow("no channel of that name") << QStringList{"--channel", "South Gate"} << 1 << QByteArray();
    QTest::newRow("channel in the wrong case") << QStringList{"--channel", "north gate"} << 2 << QByteArray();
    QTest::newRow("bad regex") << QStringList{"--text", "Door ("} << 2 << QByteArray();
    QTest::newRow("bad date") << QStringList{"--from", "2024-13-01"} << 2 << QByteArray();
    QTest::newRow("bad kind") << QStringList{"--kind", "fire"} << 2 << QByteArray();
}

void TestQuorvelArchive::search()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    Log(QStringLiteral("North Gate"), 7, {kDoorOpen, kUnknownType});
    Log(QStringLiteral("Yard"), 6, {kLineClear});
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear});
    // A hidden name is an archive like any other.
    QVERIFY(QFile::rename(Archive(QStringLiteral("Yard 20240506.krv")), Archive(QStringLiteral(".Yard 20240506.krv"))));
    QVERIFY(QFile::copy(Archive(QStringLiteral(".Yard 20240506.krv")), Archive(QStringLiteral("Yard 20240506.krv"))));
    QVERIFY(QFile::remove(Archive(QStringLiteral(".Yard 20240506.krv"))));

    const Run run = Tool(QStringList{QStringLiteral("search"), m_station->Dir()} + args);
    QCOMPARE(run.exitCode, exitCode);
    QByteArray found;
    for (const QByteArray& line : run.out.split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 7 && fields.at(2) != "other")
            found += fields.at(0) + '\t' + fields.at(1) + '\t' + fields.at(6) + '\n';
    }
    QCOMPARE(found, expected);
}

// Patterns against the lines of one archive: the expression decides, whatever the tool looks for
// first to pass over lines quickly.
void TestQuorvelArchive::searchText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QByteArray>("expected");  // the display lines found

    const QByteArray door = kDoorOpenLine + "\n";
    const QByteArray line = kLineClearLine + "\n";
    const QByteArray cafe = "10:00:00 Alarm Clear: Caf\xc3\xa9 \"A\",B\n";
    QTest::newRow("literal") << "Door open 13" << door;
    QTest::newRow("literal, not there") << "Door open 14" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray(door + line + cafe);
    QTest::newRow("last letter optional") << "Door opens?" << door;
    QTest::newRow("alternatives") << "Door shut|Line 5" << line;
    QTest::newRow("alternative in a group") << "Door (shut|open)" << door;
    QTest::newRow("anchored at the start") << "^10:00:00 Op" << line;
    QTest::newRow("anchored at the end") << "Clear Down$" << line;
    QTest::newRow("escape") << "Door\\sopen" << door;
    QTest::newRow("any character") << "10:00:00 R.A" << door;
    QTest::newRow("Latin-1") << QString::fromUtf8("Caf\xc3\xa9 \"A\",B") << cafe;
    QTest::newRow("Latin-1, other case") << QString::fromUtf8("caf\xc3\xa9") << QByteArray();
    QTest::newRow("Latin-1, any case") << QString::fromUtf8("(?i)CAF\xc3\x89") << cafe;
    QTest::newRow("Latin-1 by its code") << "Caf\\x{e9}" << cafe;
    QTest::newRow("Latin-1 is one character") << "Caf.{2}\"A" << cafe;
    QTest::newRow("Latin-1 is no word character") << "Caf\\w" << QByteArray();
    QTest::newRow("unless Unicode properties") << "(*UCP)Caf\\w" << cafe;
    QTest::newRow("one code unit") << "Caf\\C \"" << cafe;
    QTest::newRow("outside Latin-1, optional") << QString::fromUtf8("Door open 1\xc4\x80?3") << door;
    QTest::newRow("outside Latin-1, not in a class") << QString::fromUtf8("Door open 1[^\xc4\x80]") << door;
}

void TestQuorvelArchive::searchText()
{
    QFETCH(QString, pattern);
    QFETCH(QByteArray, expected);
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear, kLatin1Text});
    const Run run = Tool({QStringLiteral("search"), m_station->Dir(), QStringLiteral("--text"), pattern});
    QCOMPARE(run.exitCode, expected.isEmpty() ? 1 : 0);
    QByteArray found;
    for (const QByteArray& line : run.out.split('\n')) {
        if (!line.isEmpty())
            found += line.split('\t').value(6) + '\n';
    }
    QCOMPARE(found, expected);
}

// A live channel holds its day archive exclusively while it appends, and may have put part of
// a record in the file: the tool reads the whole records without waiting for the lock and
// reports no damage.
void TestQuorvelArchive::archiveInUse()
{
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear});
    const QString path = Archive(QStringLiteral("North Gate 20240506.krv"));
    QFile live(path);
    QVERIFY(live.open(QIODevice::WriteOnly | QIODevice::Append));
    QCOMPARE(::flock(live.handle(), LOCK_EX | LOCK_NB), 0);
    QCOMPARE(live.write("\xFF\xFF\xFF\x00\x00\x00", 6), qint64(6));
    live.flush();

    const Run run = Tool({QStringLiteral("show"), path});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out.count('\n'), 2);
    const Run list = Tool({QStringLiteral("list"), m_station->Dir()});
    QVERIFY2(list.out.endsWith("\t2\t170\tok (in use)\n"), list.out.constData());
}

// Records of every length, more than the tool reads from the file at a time, so that records
// lie across the ends of its reads: each is read as written.
void TestQuorvelArchive::manyRecords()
{
    constexpr int kRecords = 3000;  // about 700 kB
    QList<QByteArray> messages;
    QList<QByteArray> texts;
    for (int i = 0; i < kRecords; ++i) {
        // Lines of 24 to 323 characters: one-byte and three-byte length prefixes. (A text of one
        // character would make a three-byte message, a coded one.)
        texts << QByteArray(2 + i % 300, char('a' + i % 26));
        messages << QByteArray("\x84\x00", 2) + texts.last();
    }
    Log(QStringLiteral("North Gate"), 6, messages);
    const Run run = Tool({QStringLiteral("show"), Archive(QStringLiteral("North Gate 20240506.krv"))});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> lines = run.out.split('\n');
    QCOMPARE(lines.size(), kRecords + 1);
    for (int i = 0; i < kRecords; ++i)
        QCOMPARE(lines.at(i), "alarm\tlisted\t#FFFFFF\t#808080\t10:00:00 Alarm Clear: " + texts.at(i));
}

// Text stored in 16-bit characters, a form the program reads but never writes, between records
// it wrote: read like them, and the records after it too.
void TestQuorvelArchive::sixteenBitText()
{
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear, kDoorOpen});
    const QString path = Archive(QStringLiteral("North Gate 20240506.krv"));
    QByteArray bytes = FileBytes(path);
    // The second record's text: one-byte length 37 at byte 41 + 61 + 20, then its 37 characters.
    const int textAt = 41 + 61 + 20;
    QCOMPARE(bytes.at(textAt), char(37));
    const QByteArray wide = QByteArray::fromHex("fffeff 03 6100 e900 0101");
    bytes.replace(textAt, 1 + 37, wide);
    m_station->WriteFile(QStringLiteral("Archives/North Gate 20240506.krv"), bytes);

    const Run run = Tool({QStringLiteral("show"), path});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, "alarm\tlisted\t#FFFFFF\t#0000FF\t" + kDoorOpenLine + "\n"
                      "event\tlisted\t#FFFFFF\t#000000\ta\xc3\xa9?\n"
                      "alarm\tlisted\t#FFFFFF\t#0000FF\t" + kDoorOpenLine + "\n");
}

// A program reading csv and one reading json find a record's fields under the same names.
void TestQuorvelArchive::csvAndJsonColumns()
{
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen});
    const QString path = Archive(QStringLiteral("North Gate 20240506.krv"));
    const Run csv = Tool({QStringLiteral("show"), path, QStringLiteral("--format"), QStringLiteral("csv")});
    const Run json = Tool({QStringLiteral("show"), path, QStringLiteral("--format"), QStringLiteral("json")});
    QCOMPARE(csv.exitCode, 0);
    QCOMPARE(json.exitCode, 0);
    const QList<QByteArray> header = csv.out.left(csv.out.indexOf("\r\n")).split(',');
    QByteArrayList keys;
    const QByteArray object = json.out.trimmed();
    for (qsizetype at = 0; (at = object.indexOf("\":", at)) >= 0; ++at)
        keys << object.mid(object.lastIndexOf('"', at - 1) + 1, at - object.lastIndexOf('"', at - 1) - 1);
    QCOMPARE(keys, header);
}

// Only a regular file is read: anything else is refused at once, never waited on.
void TestQuorvelArchive::notAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("named pipe") << "pipe";
    QTest::newRow("device") << "device";
    QTest::newRow("folder") << "folder";
}

void TestQuorvelArchive::notAFile()
{
    QFETCH(QString, kind);
    QString path = Archive(QStringLiteral("North Gate 20240506.krv"));
    if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else
        path = QStringLiteral("/dev/null");
    const Run run = Tool({QStringLiteral("show"), path});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(": not a regular file"), run.err.constData());
}

// Output that cannot be written is an error, whatever was found, with a message on standard error.
void TestQuorvelArchive::outputNotWritten_data()
{
    QTest::addColumn<QStringList>("args");  // %1: the archive, %2: the station
    QTest::newRow("help") << QStringList{"--help"};
    QTest::newRow("version") << QStringList{"--version"};
    QTest::newRow("list") << QStringList{"list", "%2"};
    QTest::newRow("show") << QStringList{"show", "%1"};
    QTest::newRow("show csv") << QStringList{"show", "%1", "--format", "csv"};
    QTest::newRow("search") << QStringList{"search", "%2"};
}

void TestQuorvelArchive::outputNotWritten()
{
    QFETCH(QStringList, args);
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear});
    for (QString& arg : args)
        arg = arg.replace(QLatin1String("%1"), Archive(QStringLiteral("North Gate 20240506.krv")))
                  .replace(QLatin1String("%2"), m_station->Dir());
    const Run run = Tool(args, QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("quorvel-archive: standard output: No space left on device\n"), run.err.constData());
}

void TestQuorvelArchive::searchWarningsAndErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("records");  // lines on standard output
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("a stray file is a warning") << QStringList{} << 0 << 2
        << QByteArray("Stray 20240507.krv: not a Quorvel archive (its header does not match), not searched\n");
    QTest::newRow("channel in the wrong case") << QStringList{"--channel", "north gate"} << 2 << 0
        << QByteArray("No channel 'north gate' in ");
    // Each character may be taken by either alternative, and the end never matches: every way is
    // tried, 2^36 on a line of 36 characters.
    QTest::newRow("backtracking past the limit") << QStringList{"--text", "^(.|.)*(?!)"} << 2 << 0
                                                 << QByteArray(": record 1: the pattern goes past the regular ");
    QTest::newRow("past a limit the pattern sets") << QStringList{"--text", "(*LIMIT_MATCH=100)^(.|.){0,12}(?!)"} << 2
                                                   << 0 << QByteArray(": record 1: the pattern goes past the regular ");
}

void TestQuorvelArchive::searchWarningsAndErrors()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(int, records);
    QFETCH(QByteArray, err);
    Log(QStringLiteral("North Gate"), 6, {kDoorOpen, kLineClear});
    m_station->WriteFile(QStringLiteral("Archives/Stray 20240507.krv"), "notes, not an archive\n");
    const Run run = Tool(QStringList{QStringLiteral("search"), m_station->Dir()} + args);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out.count('\n'), records);
    QVERIFY2(run.err.contains(err), run.err.constData());
}

QTEST_GUILESS_MAIN(TestQuorvelArchive)
#include "tst_quorvelarchive.moc"
