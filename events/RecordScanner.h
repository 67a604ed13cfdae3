#pragma once
#include <QByteArrayView>
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
// the rest to CLoadingArchive, which reads every form: a caller goes on with that reader from
// the record the scanner did not take.
class RecordScanner
{
public:
    enum Result {
        Ok,       // a whole record, `size` bytes
        Short,    // the bytes end within the record
        Unusual,  // text in 16-bit characters, or a text length no record can have
    };
    static Result Scan(QByteArrayView bytes, RecordView& record, qsizetype& size);
};
