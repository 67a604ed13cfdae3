#pragma once
#include "RecordWriter.h"

#include <cstdio>

class ChannelStats;

// Writes the figures of one channel after another:
// - text: a block per channel for people (a table of days, the floods, the most frequent alarm
//   texts, the longest gap), UTF-8;
// - csv: RFC 4180, one header line and a row per day, flood, text and gap, the "section" column
//   saying which and the columns that do not apply empty; UTF-8;
// - json: one object a line with "section" day, flood, text or gap; ASCII only.
// Times are local wall-clock times as the records show them, YYYY-MM-DDTHH:MM:SS in csv and json.
class StatsWriter
{
public:
    StatsWriter(RecordWriter::Format format, std::FILE* out);
    void Begin();  // the csv header line
    void Write(const ChannelStats& stats);

private:
    void WriteText(const ChannelStats& stats);
    void WriteCsv(const ChannelStats& stats);
    void WriteJson(const ChannelStats& stats);
    void Put(const QByteArray& line);

    RecordWriter::Format m_format;
    std::FILE* m_out;
};
