#pragma once
#include <QString>

class QFileDevice;

// Reads the archive byte form from an open file through a 4096-byte buffer. It reads no
// further than the bytes the file held when the stream was made, so records appended while
// the file is being read are not read back a second time.
class LoadingArchive
{
public:
    enum Status {
        Ok,
        EndOfData,  // fewer bytes left than the value needs: the normal end of a record stream
        Corrupt,    // a string length too large for any text; its prefix is consumed, reading may go on
        FileError,  // the file could not be read
    };
    static constexpr int kBufferSize = 4096;
    // The longest text a length may claim and still be taken for a record that the end of the file
    // cut short (a power cut while it was written). Records hold texts of at most 256 bytes; a
    // length above this is damage, as an allocation that large failed where archives began.
    static constexpr quint32 kMaxTextLength = 1u << 26;

    explicit LoadingArchive(QFileDevice& file);
    LoadingArchive(const LoadingArchive&) = delete;
    LoadingArchive& operator=(const LoadingArchive&) = delete;

    Status ReadUInt32(quint32& value);
    Status ReadInt32(qint32& value);
    Status ReadBytes(char* data, qint64 length);
    // A counted string in single-byte or 16-bit characters, in two steps: its length prefix, then
    // its `length` characters as single bytes into the caller's room for them.
    Status ReadStringLength(quint32& length, bool& wide);
    Status ReadStringBytes(char* text, quint32 length, bool wide);

    // Goes on reading at `position` of the file, still no further than the size it had at the start.
    Status Seek(qint64 position);

    qint64 Remaining() const { return m_end - m_used + m_fileLeft; }
    // The file offset of the next byte to be read.
    qint64 Position() const { return m_fileEnd - Remaining(); }
    QString ErrorString() const { return m_errorString; }

private:
    Status Fill();
    Status ReadLength(quint32& length, bool& wide);
    Status ReadUInt8(quint8& value);
    Status ReadUInt16(quint16& value);

    QFileDevice& m_file;
    qint64 m_fileEnd;   // the file's size when the stream was made
    qint64 m_fileLeft;  // bytes still in the file, up to the size it had at the start
    int m_used = 0;
    int m_end = 0;
    QString m_errorString;
    char m_buffer[kBufferSize];
};
