#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>

#include <cstdio>

struct RecordView;

// Where a record was read: its archive's channel and date (from the file name) and its number.
struct RecordPlace
{
    QString channel;
    QDate date;
    int number = 0;
};

// Writes records to a stream, one line each, as they are read:
// - text: kind, listed or hidden, status colour, text colour, display line (for a search the
//   channel and date first), tab-separated; UTF-8, control characters shown as '?';
// - csv: RFC 4180 with a header line and CRLF line ends, UTF-8; control characters kept, quoted;
// - json: one object a line with csv's columns as keys, ASCII only: every character outside
//   printable ASCII as \u00XX.
// Record texts are bytes; every format reads them as Latin-1, as the program draws them.
class RecordWriter
{
public:
    enum class Format { Text, Csv, Json };
    static bool ParseFormat(const QString& text, Format& format);

    RecordWriter(Format format, std::FILE* out, bool withPlace);
    void Begin();  // the csv header line
    void Write(const RecordView& record, const RecordPlace& place, bool listed);
    bool Written() const { return m_written; }
    // A write to the stream failed (a full disk, /dev/full): nothing more need be written.
    bool Failed() const { return m_failed; }

private:
    void WriteText(const RecordView& record, const RecordPlace& place, bool listed);
    void WriteCsv(const RecordView& record, const RecordPlace& place, bool listed);
    void WriteJson(const RecordView& record, const RecordPlace& place, bool listed);
    void Put(const QByteArray& bytes);

    Format m_format;
    std::FILE* m_out;
    bool m_withPlace;
    bool m_written = false;
    bool m_failed = false;
    QByteArray m_line;  // reused for every record
    // The place's fields as they go out, made again only when the archive changes.
    QString m_placeChannel;
    QDate m_placeDate;
    QByteArray m_channelOut;
    QByteArray m_dateOut;
};
