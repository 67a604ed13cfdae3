#pragma once
#include <QString>

#include <cstddef>

class QFileDevice;

// Writes the archive byte form (little-endian integers, counted strings) into an open file
// through a 4096-byte buffer, so the file is written a buffer at a time. The first failed
// write puts the stream in an error state that stays until it is destroyed.
class CStoringArchive
{
public:
    static constexpr int kBufferSize = 4096;

    explicit CStoringArchive(QFileDevice& file);
    ~CStoringArchive();  // flushes
    CStoringArchive(const CStoringArchive&) = delete;
    CStoringArchive& operator=(const CStoringArchive&) = delete;

    void WriteUInt32(quint32 value);
    void WriteInt32(qint32 value) { WriteUInt32(quint32(value)); }
    // Length prefix of 1, 3 or 7 bytes, then the bytes themselves, no terminating zero.
    void WriteString(const char* data, qsizetype length);

    // Hands the buffered bytes to the operating system. False on a write error.
    bool Flush();
    bool HasError() const { return m_error; }
    QString ErrorString() const { return m_errorString; }
    qsizetype Buffered() const { return m_used; }

private:
    void WriteBytes(const char* data, qsizetype length);
    bool WriteThrough(const char* data, qsizetype length);

    QFileDevice& m_file;
    qsizetype m_used = 0;
    bool m_error = false;
    QString m_errorString;
    char m_buffer[kBufferSize];
};
