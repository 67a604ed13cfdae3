#include "events/RecordScanner.h"

#include "events/LoadingArchive.h"

#include <QtEndian>

namespace {

// Status colour, text colour, kind, fault and message length.
constexpr qsizetype kFixedSize = 20;
constexpr qsizetype kFlagSize = 4;

quint32 UInt32At(const uchar* p)
{
    return qFromLittleEndian<quint32>(p);
}

} // namespace

RecordScanner::Result RecordScanner::Scan(QByteArrayView bytes, RecordView& record, qsizetype& size)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype available = bytes.size();
    if (available < kFixedSize + 1)
        return Short;
    // The length prefix as CLoadingArchive reads it: one byte below 0xFF, else 16 bits below
    // 0xFFFF, else 32 bits; 0xFFFE in 16 bits marks 16-bit characters.
    qsizetype at = kFixedSize;
    quint32 count = p[at++];
    if (count == 0xFF) {
        if (available < at + 2)
            return Short;
        count = qFromLittleEndian<quint16>(p + at);
        at += 2;
        if (count == 0xFFFE)
            return Unusual;
        if (count == 0xFFFF) {
            if (available < at + 4)
                return Short;
            count = UInt32At(p + at);
            at += 4;
            if (count > CLoadingArchive::kMaxTextLength)
                return Unusual;
        }
    }
    if (available - at < qsizetype(count) + kFlagSize)
        return Short;
    record.statusColor = UInt32At(p);
    record.textColor = UInt32At(p + 4);
    record.kind = qint32(UInt32At(p + 8));
    record.fault = qint32(UInt32At(p + 12));
    record.length = qint32(UInt32At(p + 16));
    record.text = QByteArrayView(bytes.data() + at, qsizetype(count));
    record.textMessage = qint32(UInt32At(p + at + count));
    size = at + qsizetype(count) + kFlagSize;
    return Ok;
}
