#include "events/StoringArchive.h"

#include "core/Logging.h"

#include <QFileDevice>

#include <algorithm>
#include <cstring>

StoringArchive::StoringArchive(QFileDevice& file)
    : m_file(file)
    , m_written(file.size())
    , m_wholeSize(m_written)
{
}

StoringArchive::~StoringArchive()
{
    Flush();
}

void StoringArchive::WriteUInt32(quint32 value)
{
    const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                           char((value >> 24) & 0xFF)};
    WriteBytes(bytes, 4);
}

void StoringArchive::WriteString(const char* data, qsizetype length)
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

void StoringArchive::WriteBytes(const char* data, qsizetype length)
{
    // An empty text has no bytes and maybe no array: nothing to copy.
    if (m_error || length == 0)
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

void StoringArchive::EndRecord()
{
    if (!m_error)
        m_recordEnds.push_back(m_written + m_used);
}

bool StoringArchive::Flush()
{
    if (m_error)
        return false;
    if (m_used == 0)
        return true;
    const bool ok = WriteThrough(m_buffer, m_used);
    m_used = 0;
    return ok;
}

qint64 StoringArchive::WriteAll(QFileDevice& file, const char* data, qsizetype length)
{
    qint64 done = 0;
    while (done < length) {
        const qint64 written = file.write(data + done, length - done);
        if (written <= 0)
            break;
        done += written;
    }
    return done;
}

bool StoringArchive::WriteThrough(const char* data, qsizetype length)
{
    const qint64 written = WriteAll(m_file, data, length);
    m_written += written;
    if (written < length) {
        Fail();
        return false;
    }
    SettleRecordEnds();
    return true;
}

void StoringArchive::SettleRecordEnds()
{
    const auto beyond = std::upper_bound(m_recordEnds.begin(), m_recordEnds.end(), m_written);
    if (beyond != m_recordEnds.begin())
        m_wholeSize = *(beyond - 1);
    m_recordEnds.erase(m_recordEnds.begin(), beyond);
}

// A full disk takes part of a write: the part of a record it let through would shift every
// record appended after it.
void StoringArchive::Fail()
{
    m_error = true;
    m_errorString = m_file.errorString();
    SettleRecordEnds();
    m_lostRecords = int(m_recordEnds.size());
    m_recordEnds.clear();
    qCWarning(lcArchive) << "archive write failed:" << m_errorString << "-" << m_lostRecords << "records lost";
    if (m_written != m_wholeSize && !m_file.resize(m_wholeSize))
        qCWarning(lcArchive) << "could not cut the archive back to its last whole record:" << m_file.errorString();
}
