#include "events/LoadingArchive.h"

#include <QFileDevice>

#include <cstring>

LoadingArchive::LoadingArchive(QFileDevice& file)
    : m_file(file)
    , m_fileEnd(file.size())
    , m_fileLeft(qMax<qint64>(0, m_fileEnd - file.pos()))
{
}

LoadingArchive::Status LoadingArchive::Fill()
{
    if (m_used < m_end)
        std::memmove(m_buffer, m_buffer + m_used, size_t(m_end - m_used));
    m_end -= m_used;
    m_used = 0;
    const qint64 want = qMin<qint64>(kBufferSize - m_end, m_fileLeft);
    if (want <= 0)
        return Ok;
    const qint64 got = m_file.read(m_buffer + m_end, want);
    if (got < 0) {
        m_errorString = m_file.errorString();
        return FileError;
    }
    // A file that shrank under us simply ends here.
    m_fileLeft = got < want ? 0 : m_fileLeft - got;
    m_end += int(got);
    return Ok;
}

LoadingArchive::Status LoadingArchive::Seek(qint64 position)
{
    m_used = 0;
    m_end = 0;
    m_fileLeft = qMax<qint64>(0, m_fileEnd - position);
    if (!m_file.seek(position)) {
        m_errorString = m_file.errorString();
        return FileError;
    }
    return Ok;
}

LoadingArchive::Status LoadingArchive::ReadBytes(char* data, qint64 length)
{
    if (length > Remaining())
        return EndOfData;
    while (length > 0) {
        if (m_used == m_end) {
            const Status status = Fill();
            if (status != Ok)
                return status;
            if (m_end == 0)
                return EndOfData;
        }
        const int chunk = int(qMin<qint64>(length, m_end - m_used));
        std::memcpy(data, m_buffer + m_used, size_t(chunk));
        m_used += chunk;
        data += chunk;
        length -= chunk;
    }
    return Ok;
}

LoadingArchive::Status LoadingArchive::ReadUInt8(quint8& value)
{
    char byte = 0;
    const Status status = ReadBytes(&byte, 1);
    value = quint8(byte);
    return status;
}

LoadingArchive::Status LoadingArchive::ReadUInt16(quint16& value)
{
    unsigned char bytes[2] = {};
    const Status status = ReadBytes(reinterpret_cast<char*>(bytes), 2);
    value = quint16(bytes[0] | (bytes[1] << 8));
    return status;
}

LoadingArchive::Status LoadingArchive::ReadUInt32(quint32& value)
{
    unsigned char bytes[4] = {};
    const Status status = ReadBytes(reinterpret_cast<char*>(bytes), 4);
    value = quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16 | quint32(bytes[3]) << 24;
    return status;
}

LoadingArchive::Status LoadingArchive::ReadInt32(qint32& value)
{
    quint32 raw = 0;
    const Status status = ReadUInt32(raw);
    value = qint32(raw);
    return status;
}

// 1-byte length below 0xFF, else a 16-bit one below 0xFFFF, else a 32-bit one. The 16-bit value
// 0xFFFE marks a string of 16-bit characters whose own length prefix follows.
LoadingArchive::Status LoadingArchive::ReadLength(quint32& length, bool& wide)
{
    wide = false;
    quint8 byte = 0;
    Status status = ReadUInt8(byte);
    if (status != Ok || byte < 0xFF) {
        length = byte;
        return status;
    }
    quint16 word = 0;
    status = ReadUInt16(word);
    if (status == Ok && word == 0xFFFE) {
        wide = true;
        status = ReadUInt8(byte);
        if (status != Ok || byte < 0xFF) {
            length = byte;
            return status;
        }
        status = ReadUInt16(word);
    }
    if (status != Ok || word < 0xFFFF) {
        length = word;
        return status;
    }
    return ReadUInt32(length);
}

LoadingArchive::Status LoadingArchive::ReadStringLength(quint32& length, bool& wide)
{
    length = 0;
    quint32 count = 0;
    const Status status = ReadLength(count, wide);
    if (status != Ok)
        return status;
    // A damaged length must not make the reader set aside what the file cannot hold; a text that
    // merely runs past the end of the file is a record cut short there, the normal end of the data.
    if (count > kMaxTextLength)
        return Corrupt;
    if ((wide ? 2 * qint64(count) : qint64(count)) > Remaining())
        return EndOfData;
    length = count;
    return Ok;
}

LoadingArchive::Status LoadingArchive::ReadStringBytes(char* text, quint32 length, bool wide)
{
    if (!wide)
        return ReadBytes(text, qint64(length));
    for (quint32 i = 0; i < length; ++i) {
        quint16 unit = 0;
        const Status read = ReadUInt16(unit);
        if (read != Ok)
            return read;
        text[i] = unit <= 0xFF ? char(unit) : '?';
    }
    return Ok;
}
