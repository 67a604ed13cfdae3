#include "RecordWriter.h"

#include "Latin1Text.h"
#include "ToolTexts.h"

#include "events/RecordScanner.h"

#include <algorithm>

namespace {

const char kHex[] = "0123456789ABCDEF";

void AppendEscape(QByteArray& out, unsigned unit)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
}

// A JSON string of Latin-1 bytes, ASCII only.
void AppendJsonLatin1(QByteArray& out, QByteArrayView text)
{
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            AppendEscape(out, c);
        } else {
            out += char(c);
        }
    }
    out += '"';
}

// A JSON string of any text, ASCII only (UTF-16 units escaped).
QByteArray JsonString(const QString& text)
{
    QByteArray out("\"");
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '"' || u == '\\') {
            out += '\\';
            out += char(u);
        } else if (u < 0x20 || u >= 0x7F) {
            AppendEscape(out, u);
        } else {
            out += char(u);
        }
    }
    return out + '"';
}

// An RFC 4180 field: quoted when it holds a comma, a quote or any control character (CR and LF
// among them), so a reader that splits lines or trims blanks keeps the field whole; quotes doubled.
QByteArray CsvField(const QByteArray& field)
{
    const bool plain = std::none_of(field.cbegin(), field.cend(), [](char c) {
        return c == ',' || c == '"' || uchar(c) < 0x20 || uchar(c) == 0x7F;
    });
    if (plain)
        return field;
    QByteArray quoted = field;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

// 0x00BBGGRR as #RRGGBB; a value with a high byte (from a damaged archive) as it stands.
void AppendColour(QByteArray& out, quint32 colour)
{
    if (colour > 0xFFFFFF) {
        out += "0x";
        for (int shift = 28; shift >= 0; shift -= 4)
            out += kHex[(colour >> shift) & 0xF];
        return;
    }
    out += '#';
    for (const int shift : {0, 8, 16}) {
        const quint32 byte = (colour >> shift) & 0xFF;
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

void AppendKind(QByteArray& out, int kind)
{
    if (kind >= 0 && kind <= 3)
        out += Tool::kKindNames[kind];
    else
        out += QByteArray::number(kind);
}

} // namespace

bool RecordWriter::ParseFormat(const QString& text, Format& format)
{
    if (text == QLatin1String("text"))
        format = Format::Text;
    else if (text == QLatin1String("csv"))
        format = Format::Csv;
    else if (text == QLatin1String("json"))
        format = Format::Json;
    else
        return false;
    return true;
}

RecordWriter::RecordWriter(Format format, std::FILE* out, bool withPlace)
    : m_format(format)
    , m_out(out)
    , m_withPlace(withPlace)
{
    m_line.reserve(1024);
}

void RecordWriter::Begin()
{
    if (m_format != Format::Csv)
        return;
    QByteArray heading;
    for (const char* column : Tool::kColumns)
        heading += (heading.isEmpty() ? "" : ",") + QByteArray(column);
    heading += "\r\n";
    Put(heading);
}

void RecordWriter::Write(const RecordView& record, const RecordPlace& place, bool listed)
{
    if (place.channel != m_placeChannel || place.date != m_placeDate || m_channelOut.isNull()) {
        m_placeChannel = place.channel;
        m_placeDate = place.date;
        const QByteArray date = place.date.isValid() ? place.date.toString(Qt::ISODate).toLatin1() : QByteArray("");
        switch (m_format) {
        case Format::Text: m_channelOut = place.channel.toUtf8(); m_dateOut = date; break;
        case Format::Csv: m_channelOut = CsvField(place.channel.toUtf8()); m_dateOut = date; break;
        case Format::Json: m_channelOut = JsonString(place.channel); m_dateOut = JsonString(QString::fromLatin1(date)); break;
        }
    }
    m_line.resize(0);  // keeps the buffer, where clear() would let it go
    switch (m_format) {
    case Format::Text: WriteText(record, place, listed); break;
    case Format::Csv: WriteCsv(record, place, listed); break;
    case Format::Json: WriteJson(record, place, listed); break;
    }
    Put(m_line);
    m_written = true;
}

void RecordWriter::Put(const QByteArray& bytes)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out) != size_t(bytes.size()))
        m_failed = true;
}

void RecordWriter::WriteText(const RecordView& record, const RecordPlace&, bool listed)
{
    if (m_withPlace) {
        m_line += m_channelOut;
        m_line += '\t';
        m_line += m_dateOut;
        m_line += '\t';
    }
    AppendKind(m_line, record.kind);
    m_line += '\t';
    m_line += listed ? Tool::kListed : Tool::kHidden;
    m_line += '\t';
    AppendColour(m_line, record.statusColor);
    m_line += '\t';
    AppendColour(m_line, record.textColor);
    m_line += '\t';
    AppendLatin1AsUtf8(m_line, record.text, true);
    m_line += '\n';
}

void RecordWriter::WriteCsv(const RecordView& record, const RecordPlace& place, bool listed)
{
    m_line += m_channelOut;
    m_line += ',';
    m_line += m_dateOut;
    m_line += ',';
    m_line += QByteArray::number(place.number);
    m_line += ',';
    AppendKind(m_line, record.kind);
    m_line += ',';
    m_line += listed ? "1" : "0";
    m_line += ',';
    AppendColour(m_line, record.statusColor);
    m_line += ',';
    AppendColour(m_line, record.textColor);
    m_line += ',';
    m_line += record.fault ? "1" : "0";
    m_line += ',';
    m_line += record.textMessage ? "1" : "0";
    m_line += ',';
    QByteArray text;
    AppendLatin1AsUtf8(text, record.text, false);
    m_line += CsvField(text);
    m_line += "\r\n";
}

void RecordWriter::WriteJson(const RecordView& record, const RecordPlace& place, bool listed)
{
    const auto key = [this](Tool::Column column) {
        m_line += column == Tool::kChannel ? "{\"" : ",\"";
        m_line += Tool::kColumns[column];
        m_line += "\":";
    };
    key(Tool::kChannel);
    m_line += m_channelOut;
    key(Tool::kDate);
    m_line += m_dateOut;
    key(Tool::kRecord);
    m_line += QByteArray::number(place.number);
    key(Tool::kKind);
    m_line += '"';
    AppendKind(m_line, record.kind);
    m_line += '"';
    key(Tool::kListedColumn);
    m_line += listed ? "true" : "false";
    key(Tool::kStatus);
    m_line += '"';
    AppendColour(m_line, record.statusColor);
    m_line += '"';
    key(Tool::kColour);
    m_line += '"';
    AppendColour(m_line, record.textColor);
    m_line += '"';
    key(Tool::kFault);
    m_line += record.fault ? "true" : "false";
    key(Tool::kTextMessage);
    m_line += record.textMessage ? "true" : "false";
    key(Tool::kLine);
    AppendJsonLatin1(m_line, record.text);
    m_line += "}\n";
}
