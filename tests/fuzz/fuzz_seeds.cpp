// Writes the seed corpus of the fuzz targets, one folder per target, from the program's own
// encoders: line frames as the simulator sends them, as the link layer builds them and as the
// shared set of frames has them, archives
// written by a channel document and by StoringArchive, the test alarm file, port maps, and
// messages of every form. Usage: fuzz-seeds DIR
#include "archive/ArchiveFormat.h"
#include "archive/QuorvelDoc.h"
#include "comms/CommsProtocol.h"
#include "core/SettingsKeys.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"
#include "tests/events/AlarmFixture.h"
#include "tests/fuzz/RxBlocks.h"
#include "tests/fuzz/SampleAlarms.h"
#include "tests/support/FrameVectors.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestStation.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>

namespace {

class SeedWriter
{
public:
    explicit SeedWriter(const QString& dir) : m_dir(dir) {}

    void Write(const QString& target, const QString& name, const QByteArray& bytes)
    {
        const QString folder = m_dir + QLatin1Char('/') + target;
        QFile file(folder + QLatin1Char('/') + name);
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "fuzz-seeds: cannot write %s\n", qPrintable(file.fileName()));
            m_failed = true;
        }
    }
    bool Failed() const { return m_failed; }

private:
    QString m_dir;
    bool m_failed = false;
};

// Exposes the link layer's own frame builder.
class FrameBuilder : public CCommsProtocol
{
public:
    FrameBuilder() : CCommsProtocol(3, 3, 3) {}
    QByteArray Build(const QByteArray& data)
    {
        int length = 0;
        const char* frame = BuildFrame(data.constData(), int(data.size()), &length);
        return QByteArray(frame, length);
    }
};

QList<QByteArray> SampleMessages()
{
    return {
        QByteArray("\x01\x07\x03", 3),          // coded: status R, alarm 7, value 3
        QByteArray("\x00\x02\x46", 3),          // coded, a line-state alarm counting past 64
        QByteArray("\x42\x42Mains restored"),   // type 132: alarm clear
        QByteArray("\x4A\x4A" "Fire zone 3"),   // type 148: alarm
        QByteArray("\x47\x48" "07"),            // type 143: line number
        QByteArray("\x49\x49" "12"),            // type 146
        QByteArray("\x4D\x4E" "03"),            // type 155
        QByteArray("\x4F\x4F" "99"),            // type 158
        QByteArray("\x42\x42", 2),              // type 132 with no text
        QByteArray("\x42\x42" "ab\0cd", 7),     // text with a zero byte
        QByteArray("\x01", 1),                  // no type
        QByteArray("\xFF\xFF\xFF\xFF", 4),      // FF bytes, escaped in CRC frames
        QByteArray(120, 'M'),                   // about the longest frame
    };
}

void WriteFramerSeeds(SeedWriter& seeds)
{
    FrameBuilder builder;
    QByteArray stream;
    for (const QByteArray& message : SampleMessages())
        stream += SimFrames::BlockFrame(message, false) + SimFrames::CrcFrame(message, false);
    stream += SimFrames::BlockFrame("RU", false);  // a probe
    stream += SimFrames::BlockFrame("AB", true) + SimFrames::CrcFrame("xy", true);
    stream += builder.Build(QByteArray(1, CCommsProtocol::kAck)) + builder.Build("\x51\xFF");
    stream += SimFrames::BlockFrame(QByteArray(130, 'L'), false);  // longer than the receive buffer
    for (const FrameVector& vector : FrameVectors::All()) {
        stream += vector.bytes;
        const QString name = QString(vector.name).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), "-");
        seeds.Write("framer", QStringLiteral("frame-") + name, EncodeRxBlocks(SplitIntoBlocks(vector.bytes, 80)));
    }

    const int sizes[] = {80, 7, 1};
    for (int size : sizes)
        seeds.Write("framer", QStringLiteral("stream-%1").arg(size), EncodeRxBlocks(SplitIntoBlocks(stream, size)));
    QList<RxBlock> held = SplitIntoBlocks(stream, 13);
    for (int i = 0; i < held.size(); ++i) {
        held[i].handleAfter = i % 5 == 4;  // several blocks wait together
        held[i].tickAfter = i % 9 == 8;    // frames broken off by the frame timer
    }
    seeds.Write("framer", QStringLiteral("held-and-ticked"), EncodeRxBlocks(held));
}

QByteArray StoredRecords(const QList<QByteArray>& messages)
{
    QFile file(QDir::temp().filePath(QStringLiteral("fuzz-seeds-records")));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return {};
    {
        StoringArchive ar(file);
        for (const QByteArray& message : messages) {
            const CDisplayObj record(message.constData(), int(message.size()), 1);
            record.Serialize(ar);
            ar.EndRecord();
        }
    }
    file.seek(0);
    const QByteArray bytes = file.readAll();
    file.remove();
    return bytes;
}

void WriteArchiveSeeds(SeedWriter& seeds, const TestStation& station)
{
    QDir().mkpath(station.Path(QString::fromLatin1(Str::kArchivesDir)));
    {
        CQuorvelDoc doc(QStringLiteral("North Gate"));
        doc.SetConnection(1, 2);
        for (const QByteArray& message : SampleMessages())
            doc.HandleMessage(message);
    }
    const QDir archives(station.Path(QString::fromLatin1(Str::kArchivesDir)));
    for (const QString& name : archives.entryList({QStringLiteral("*.krv")}, QDir::Files)) {
        QFile file(archives.filePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            seeds.Write("archive", QStringLiteral("day"), bytes);
            seeds.Write("archive", QStringLiteral("cut-short"), bytes.left(bytes.size() - 5));
        }
    }
    // Lines of 254 and 255 characters take the one- and three-byte length prefixes ("hh:mm:ss
    // Alarm Clear: " comes before the text).
    const int before = 22;
    const QByteArray longTexts = StoredRecords({"\x42\x42" + QByteArray(254 - before, 'a'),
                                                "\x42\x42" + QByteArray(255 - before, 'b')});
    seeds.Write("archive", QStringLiteral("long-texts"), ArchiveHeader() + longTexts);
    // A text in 16-bit characters, which other writers of the format produce: FF FE FF, then a
    // length and two bytes per character.
    QByteArray wide = StoredRecords({QByteArray("\x01\x01", 2)});  // a message of no type: no text
    wide.chop(4 + 1);  // the source flag and the empty text
    wide += QByteArray("\xFF\xFE\xFF\x03" "a\0b\0\x01\x02" "\0\0\0\0", 14);
    seeds.Write("archive", QStringLiteral("wide-text"), ArchiveHeader() + wide);
    seeds.Write("archive", QStringLiteral("header-only"), ArchiveHeader());
    // A seven-byte length prefix of 70000 with the text missing: a damaged length.
    QByteArray huge = StoredRecords({QByteArray("\x01\x01", 2)});
    huge.chop(4 + 1);
    huge += QByteArray("\xFF\xFF\xFF\x70\x11\x01\x00" "abc", 10);
    seeds.Write("archive", QStringLiteral("damaged-length"), ArchiveHeader() + huge);
}

void WriteTextSeeds(SeedWriter& seeds)
{
    const QByteArray alarms = AlarmFileBytes(SampleAlarmBlocks());
    seeds.Write("alarmtexts", QStringLiteral("sample"), alarms);
    seeds.Write("alarmtexts", QStringLiteral("sample-crlf"), QByteArray(alarms).replace("\n", "\r\n"));
    seeds.Write("alarmtexts", QStringLiteral("two-markers"),
                alarms + Str::kAlarmFileEndOfHeader + "\nunread\nskipped\nALARM\nY\n5\n\nAfter the second marker");

    QByteArray full = "[ComPortAssignments]\n";
    for (int channel = 1; channel <= 16; ++channel)
        full += "Channel" + QByteArray::number(channel) + "=COM" + QByteArray::number(channel + 2) + "\n";
    full += "\n[ComPortDevices]\nCOM3=/dev/ttyUSB0\nCOM4 = \"/dev/ttyUSB1\"\n";
    seeds.Write("portmap", QStringLiteral("full"), full);
    seeds.Write("portmap", QStringLiteral("odd-values"),
                "; values as people write them\n [ comportassignments ] \nchannel1 = com7\nCHANNEL2=XYZ5\n"
                "Channel3=COM100\nChannel4=COM-2\nChannel5=\"COM9\"\nChannel6=COM\nChannel7=7\nChannel1=COM8\n"
                "[ComPortAssignments]\nChannel8=COM 12\r\n[Other]\nChannel9=COM4\n");

    for (const QByteArray& message : SampleMessages())
        seeds.Write("record", QString::fromLatin1(message.toHex()).left(40), message);
    for (int alarm : SampleAlarmBlocks().keys())
        seeds.Write("record", QStringLiteral("coded-%1").arg(alarm), QByteArray("\x01") + char(alarm) + char(0xFF));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds DIR\n");
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    TestStation station;
    ScriptedMessages messages;
    if (!LoadAlarmFixture(SampleAlarmBlocks())) {
        std::fprintf(stderr, "fuzz-seeds: the sample alarm table does not load\n");
        return 1;
    }
    SeedWriter seeds(dir);
    WriteFramerSeeds(seeds);
    WriteArchiveSeeds(seeds, station);
    WriteTextSeeds(seeds);
    return seeds.Failed() ? 1 : 0;
}
