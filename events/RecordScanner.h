#pragma once
#include "events/LoadingArchive.h"

#include <QByteArrayView>
#include <QtEndian>
#include <QtGlobal>

// The fields of one stored record, its text a view of the bytes it was read from.
struct RecordView
{
    quint32 statusColor = 0;
    quint32 textColor = 0;
    qint32 kind = 0;
    qint32 fault = 0;
    qint32 length = 0;
    QByteArrayView text;
    qint32 textMessage = 0;
};

// Reads stored records in place from bytes already in memory, without copying the text: for
// going through whole archives quickly. It knows only the forms the program writes and leaves
// the rest to LoadingArchive, which reads every form: a caller goes on with that reader from
// the record the scanner did not take.
class RecordScanner
{
public:
    enum Result {
        Ok,       // a whole record, `size` bytes
        Short,    // the bytes end within the record
        Unusual,  // text in 16-bit characters, or a text length no record can have
    };
    // Inline: it is called for every record of an archive.
    static Result Scan(QByteArrayView bytes, RecordView& record, qsizetype& size)
    {
        const auto* p = reinterpret_cast<const uchar*>(bytes.data());
        const qsizetype available = bytes.size();
        if (available < kFixedSize + 1)
            return Short;
        // The length prefix as LoadingArchive reads it: one byte below 0xFF, else 16 bits below
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
                count = qFromLittleEndian<quint32>(p + at);
                at += 4;
                if (count > LoadingArchive::kMaxTextLength)
                    return Unusual;
            }
        }
        if (available - at < qsizetype(count) + kFlagSize)
            return Short;
        record.statusColor = qFromLittleEndian<quint32>(p);
        record.textColor = qFromLittleEndian<quint32>(p + 4);
        record.kind = qFromLittleEndian<qint32>(p + 8);
        record.fault = qFromLittleEndian<qint32>(p + 12);
        record.length = qFromLittleEndian<qint32>(p + 16);
        record.text = QByteArrayView(bytes.data() + at, qsizetype(count));
        record.textMessage = qFromLittleEndian<qint32>(p + at + count);
        size = at + qsizetype(count) + kFlagSize;
        return Ok;
    }

private:
    static constexpr qsizetype kFixedSize = 20;  // status colour, text colour, kind, fault, length
    static constexpr qsizetype kFlagSize = 4;    // the source flag after the text
};
