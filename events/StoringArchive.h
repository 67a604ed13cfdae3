#pragma once
#include <QString>

#include <cstddef>
#include <vector>

class QFileDevice;

// Writes the archive byte form (little-endian integers, counted strings) into an open file
// through a 4096-byte buffer, so the file is written a buffer at a time. The first failed
// write puts the stream in an error state that stays until it is destroyed, and cuts the file
// back to the end of the last whole record that reached it: what a later stream appends stays
// readable. A record is whole once the writer has marked its end with EndRecord.
class StoringArchive
{
public:
    static constexpr int kBufferSize = 4096;

    explicit StoringArchive(QFileDevice& file);
    ~StoringArchive();  // flushes
    StoringArchive(const StoringArchive&) = delete;
    StoringArchive& operator=(const StoringArchive&) = delete;

    void WriteUInt32(quint32 value);
    void WriteInt32(qint32 value) { WriteUInt32(quint32(value)); }
    // Length prefix of 1, 3 or 7 bytes, then the bytes themselves, no terminating zero.
    void WriteString(const char* data, qsizetype length);

    // Writes all of data straight to the file; the bytes that reached it (fewer on a write error).
    static qint64 WriteAll(QFileDevice& file, const char* data, qsizetype length);

    // Marks the end of a record: the bytes written since the last mark form one record.
    void EndRecord();

    // Hands the buffered bytes to the operating system. False on a write error.
    bool Flush();
    bool HasError() const { return m_error; }
    QString ErrorString() const { return m_errorString; }
    // Whole records the write error took before they reached the file.
    int LostRecords() const { return m_lostRecords; }
    qsizetype Buffered() const { return m_used; }

private:
    void WriteBytes(const char* data, qsizetype length);
    bool WriteThrough(const char* data, qsizetype length);
    void SettleRecordEnds();
    void Fail();

    QFileDevice& m_file;
    qsizetype m_used = 0;
    bool m_error = false;
    QString m_errorString;
    int m_lostRecords = 0;
    qint64 m_written;      // file size after the last byte handed to the file
    qint64 m_wholeSize;    // file size after the last whole record that reached the file
    std::vector<qint64> m_recordEnds;  // file offsets where records end that are not in the file yet
    char m_buffer[kBufferSize];
};
