#include "events/StoringArchive.h"

#include "core/Logging.h"

#include <QFileDevice>

#include <cstring>

CStoringArchive::CStoringArchive(QFileDevice& file)
    : m_file(file)
{
}

CStoringArchive::~CStoringArchive()
{
    Flush();
}

void CStoringArchive::WriteUInt32(quint32 value)
{
    const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                           char((value >> 24) & 0xFF)};
    WriteBytes(bytes, 4);
}

void CStoringArchive::WriteString(const char* data, qsizetype length)
{
    const quint64 n = quint64(length);
    if (n < 0xFF) {
        const char prefix = char(n);
        WriteBytes(&prefix, 1);
    } else if (n < 0xFFFE) {
        const char prefix[3] = {char(0xFF), char(n & 0xFF), char(n >> 8)};
        WriteBytes(prefix, 3);
    } else {
        const char prefix[3] = {char(0xFF), char(0xFF), char(0xFF)};
        WriteBytes(prefix, 3);
        WriteUInt32(quint32(n));
    }
    WriteBytes(data, length);
}

void CStoringArchive::WriteBytes(const char* data, qsizetype length)
{
    if (m_error)
        return;
    if (m_used + length > kBufferSize && !Flush())
        return;
    if (length > kBufferSize) {
        WriteThrough(data, length);
        return;
    }
    std::memcpy(m_buffer + m_used, data, size_t(length));
    m_used += length;
}

bool CStoringArchive::Flush()
{
    if (m_error)
        return false;
    if (m_used == 0)
        return true;
    const bool ok = WriteThrough(m_buffer, m_used);
    m_used = 0;
    return ok;
}

bool CStoringArchive::WriteThrough(const char* data, qsizetype length)
{
    while (length > 0) {
        const qint64 written = m_file.write(data, length);
        if (written <= 0) {
            m_error = true;
            m_errorString = m_file.errorString();
            qCWarning(lcArchive) << "archive write failed:" << m_errorString;
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}
