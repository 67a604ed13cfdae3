#include "StatsWriter.h"

#include "ChannelStats.h"
#include "Latin1Text.h"
#include "ToolTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString Stamp(qint64 seconds)
{
    return ChannelStats::AsDateTime(seconds).toString(Qt::ISODate);
}

QByteArray Utf8(const QByteArray& latin1)
{
    QByteArray out;
    AppendLatin1AsUtf8(out, latin1, true);
    return out;
}

// Percent of all, to one decimal.
QByteArray Share(qint64 count, qint64 all)
{
    return QByteArray::number(all ? 100.0 * double(count) / double(all) : 0.0, 'f', 1);
}

// h:mm:ss, hours as many as there are.
QByteArray Duration(qint64 seconds)
{
    return QString::asprintf("%lld:%02d:%02d", static_cast<long long>(seconds / 3600), int(seconds / 60 % 60),
                             int(seconds % 60))
        .toLatin1();
}

// A csv field, quoted where RFC 4180 asks for it.
QByteArray Field(QByteArray text)
{
    const bool plain = std::none_of(text.cbegin(), text.cend(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    return plain ? text : '"' + text.replace("\"", "\"\"") + '"';
}

QByteArray CsvRow(const QList<QByteArray>& fields)
{
    QByteArray row;
    for (const QByteArray& field : fields)
        row += Field(field) + ',';
    row.chop(1);
    return row + "\r\n";
}

// Compact JSON with every character outside ASCII as a \u escape.
QByteArray AsciiJson(const QJsonObject& object)
{
    const QString text = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            out += char(c.unicode());
        else
            out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    }
    return out + '\n';
}

const char* const kKindNames[ChannelStats::kKinds] = {"alarm", "fault", "event", "system", "other"};
const char* const kStatusNames[ChannelStats::kStatuses] = {"L", "R", "S", "X"};

} // namespace

StatsWriter::StatsWriter(RecordWriter::Format format, std::FILE* out)
    : m_format(format)
    , m_out(out)
{
}

void StatsWriter::Put(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), m_out);
}

void StatsWriter::Begin()
{
    if (m_format == RecordWriter::Format::Csv)
        Put(QByteArray(Tool::kStatsCsvHeading) + "\r\n");
}

void StatsWriter::Write(const ChannelStats& stats)
{
    switch (m_format) {
    case RecordWriter::Format::Text: WriteText(stats); break;
    case RecordWriter::Format::Csv: WriteCsv(stats); break;
    case RecordWriter::Format::Json: WriteJson(stats); break;
    }
}

void StatsWriter::WriteText(const ChannelStats& stats)
{
    Put(stats.Channel().toUtf8() + '\n');
    Put(Tool::kStatsDayHeading);
    for (const ChannelStats::Day& day : stats.Days()) {
        QString row = QStringLiteral("  %1 %2").arg(day.date.toString(Qt::ISODate)).arg(day.records, 8);
        for (const qint64 n : day.kinds)
            row += QStringLiteral(" %1").arg(n, 7);
        for (const qint64 n : day.statuses)
            row += QStringLiteral(" %1").arg(n, 7);
        row += QStringLiteral(" %1\n").arg(day.textMessages, 7);
        Put(row.toUtf8());
    }
    Put(QString::fromLatin1(Tool::kStatsFloodHeading).arg(stats.Floods().size()).toUtf8());
    for (const FloodDetector::Flood& flood : stats.Floods()) {
        Put(QString::fromLatin1(Tool::kStatsFloodLine)
                .arg(Stamp(flood.start).replace(QLatin1Char('T'), QLatin1Char(' ')),
                     Stamp(flood.end).replace(QLatin1Char('T'), QLatin1Char(' ')))
                .arg(flood.count)
                .arg(flood.peak)
                .toUtf8());
    }
    Put(QString::fromLatin1(Tool::kStatsTopHeading).arg(stats.Alarms()).toUtf8());
    int rank = 0;
    for (const ChannelStats::TextCount& text : stats.TopTexts()) {
        Put(QStringLiteral("    %1. %2 %3% ")
                .arg(++rank, 2)
                .arg(text.count, 8)
                .arg(QString::fromLatin1(Share(text.count, stats.Alarms())), 5)
                .toUtf8()
            + Utf8(text.text) + '\n');
    }
    if (stats.HasGap()) {
        const ChannelStats::Gap& gap = stats.LongestGap();
        Put(QString::fromLatin1(Tool::kStatsGapLine)
                .arg(QString::fromLatin1(Duration(gap.end - gap.start)),
                     Stamp(gap.start).replace(QLatin1Char('T'), QLatin1Char(' ')),
                     Stamp(gap.end).replace(QLatin1Char('T'), QLatin1Char(' ')))
                .toUtf8());
    } else {
        Put(Tool::kStatsNoGap);
    }
    Put("\n");
}

void StatsWriter::WriteCsv(const ChannelStats& stats)
{
    // section,channel,date,records,alarm,fault,event,system,other,L,R,S,X,text_messages,
    // start,end,count,peak,rank,text,share,seconds
    const QByteArray channel = stats.Channel().toUtf8();
    const QByteArray none;
    for (const ChannelStats::Day& day : stats.Days()) {
        QList<QByteArray> row{"day", channel, day.date.toString(Qt::ISODate).toLatin1(), QByteArray::number(day.records)};
        for (const qint64 n : day.kinds)
            row << QByteArray::number(n);
        for (const qint64 n : day.statuses)
            row << QByteArray::number(n);
        row << QByteArray::number(day.textMessages) << none << none << none << none << none << none << none << none;
        Put(CsvRow(row));
    }
    const QList<QByteArray> noCounts(11, none);
    for (const FloodDetector::Flood& flood : stats.Floods()) {
        Put(CsvRow(QList<QByteArray>{"flood", channel, Stamp(flood.start).left(10).toLatin1()} + noCounts
                   + QList<QByteArray>{Stamp(flood.start).toLatin1(), Stamp(flood.end).toLatin1(),
                                       QByteArray::number(flood.count), QByteArray::number(flood.peak), none, none,
                                       none, none}));
    }
    int rank = 0;
    for (const ChannelStats::TextCount& text : stats.TopTexts()) {
        Put(CsvRow(QList<QByteArray>{"text", channel, none} + noCounts
                   + QList<QByteArray>{none, none, QByteArray::number(text.count), none, QByteArray::number(++rank),
                                       Utf8(text.text), Share(text.count, stats.Alarms()), none}));
    }
    if (stats.HasGap()) {
        const ChannelStats::Gap& gap = stats.LongestGap();
        Put(CsvRow(QList<QByteArray>{"gap", channel, Stamp(gap.start).left(10).toLatin1()} + noCounts
                   + QList<QByteArray>{Stamp(gap.start).toLatin1(), Stamp(gap.end).toLatin1(), none, none, none,
                                       none, none, QByteArray::number(gap.end - gap.start)}));
    }
}

void StatsWriter::WriteJson(const ChannelStats& stats)
{
    const QString channel = stats.Channel();
    for (const ChannelStats::Day& day : stats.Days()) {
        QJsonObject object{{QStringLiteral("section"), QStringLiteral("day")},
                           {QStringLiteral("channel"), channel},
                           {QStringLiteral("date"), day.date.toString(Qt::ISODate)},
                           {QStringLiteral("records"), day.records},
                           {QStringLiteral("textMessages"), day.textMessages}};
        for (int k = 0; k < ChannelStats::kKinds; ++k)
            object.insert(QLatin1String(kKindNames[k]), day.kinds[size_t(k)]);
        QJsonObject statuses;
        for (int s = 0; s < ChannelStats::kStatuses; ++s)
            statuses.insert(QLatin1String(kStatusNames[s]), day.statuses[size_t(s)]);
        object.insert(QStringLiteral("status"), statuses);
        Put(AsciiJson(object));
    }
    for (const FloodDetector::Flood& flood : stats.Floods()) {
        Put(AsciiJson({{QStringLiteral("section"), QStringLiteral("flood")},
                       {QStringLiteral("channel"), channel},
                       {QStringLiteral("start"), Stamp(flood.start)},
                       {QStringLiteral("end"), Stamp(flood.end)},
                       {QStringLiteral("count"), flood.count},
                       {QStringLiteral("peak"), flood.peak}}));
    }
    int rank = 0;
    for (const ChannelStats::TextCount& text : stats.TopTexts()) {
        Put(AsciiJson({{QStringLiteral("section"), QStringLiteral("text")},
                       {QStringLiteral("channel"), channel},
                       {QStringLiteral("rank"), ++rank},
                       {QStringLiteral("text"), QString::fromLatin1(text.text)},
                       {QStringLiteral("count"), text.count},
                       {QStringLiteral("share"), Share(text.count, stats.Alarms()).toDouble()}}));
    }
    if (stats.HasGap()) {
        const ChannelStats::Gap& gap = stats.LongestGap();
        Put(AsciiJson({{QStringLiteral("section"), QStringLiteral("gap")},
                       {QStringLiteral("channel"), channel},
                       {QStringLiteral("start"), Stamp(gap.start)},
                       {QStringLiteral("end"), Stamp(gap.end)},
                       {QStringLiteral("seconds"), gap.end - gap.start}}));
    }
}
