#pragma once
#include "events/InlineBytes.h"
#include "events/LoadingArchive.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class StoringArchive;

// One line of a channel's event log, built from an application message (three bytes: a coded
// message decoded with the alarm text table; any other length: a text message) or read back
// from an archive. One is made for every message and every record read back, so it costs no heap
// allocation: the message bytes and the display line are held in the record itself, up to the
// longest the station's lines can bring (longer ones, handed in by other callers or made from long
// descriptions in the alarm text file, go to the heap). It lives on the stack of whoever records
// or reads; lists keep only its display line, colour, kind and fault flag.
class CDisplayObj
{
public:
    enum Kind { KIND_ALARM = 0, KIND_EVENT = 1, KIND_SYSTEM = 2, KIND_OTHER = 3 };

    // The longest message a line can deliver: a link-layer queue entry.
    static constexpr int kMaxMessageBytes = 256;
    // The longest line such a message makes: the time text, " Alarm Clear: " and the message's
    // 254 text bytes. Coded lines fit as long as their description is at most 231 bytes.
    static constexpr int kMaxLineBytes = 276;

    // Colours are 0x00BBGGRR, red in the low byte.
    static constexpr quint32 kBlack = 0x000000;
    static constexpr quint32 kWhite = 0xFFFFFF;
    static constexpr quint32 kRed = 0x0000FF;
    static constexpr quint32 kGreen = 0x00FF00;
    static constexpr quint32 kBlue = 0xFF0000;
    static constexpr quint32 kMidGreen = 0x3F903F;
    static constexpr quint32 kGrey = 0x808080;
    static constexpr quint32 kDarkGrey = 0x7F7F7F;
    static constexpr quint32 kSlateBlue = 0x7F3F3F;

    // An empty record, to be filled by Serialize from an archive.
    CDisplayObj();
    // A coded message: status byte, alarm number, value byte.
    CDisplayObj(quint8 status, quint8 alarm, quint8 value, int channel);
    // A text message of `length` bytes (two type bytes, then text or a line number).
    CDisplayObj(const char* data, int length, int channel);
    // What the station itself has to say about the channel (its line lost, back, silent): a
    // record of the system kind, drawn in the system colour, its line the time text, a blank and
    // the message. It was built from no received message, so its message length is 0.
    static CDisplayObj SystemEvent(QByteArrayView message, int channel);
    CDisplayObj(const CDisplayObj&) = delete;
    CDisplayObj& operator=(const CDisplayObj&) = delete;

    // Back to what the default constructor makes, for reading the next record into this one.
    void Reset();

    // The stored form: status colour, text colour, kind, fault, length, counted text, source flag.
    void Serialize(StoringArchive& ar) const;
    // Reads the stored form. On Corrupt the fields read so far are kept and the rest stay as they were.
    LoadingArchive::Status Serialize(LoadingArchive& ar);

    int PassesFilter(int call, int fault, int normal, int system) const;
    // The same test for a record of the given kind.
    static int KindPassesFilter(int kind, int call, int fault, int normal, int system);

    QByteArray GetText() const { return QByteArray(m_strText.Data(), m_strText.Size()); }
    QByteArrayView TextView() const { return {m_strText.Data(), m_strText.Size()}; }  // no copy, for output
    QString GetDisplayText() const { return QString::fromLatin1(m_strText.Data(), m_strText.Size()); }  // for drawing
    quint32 GetTextColor() const { return m_crText; }
    quint32 GetStatusColor() const { return m_crStatus; }
    int IsFault() const { return m_bFault; }
    int IsTextMessage() const { return m_bTextMessage; }
    int GetKind() const { return m_nKind; }
    int GetLength() const { return m_nLength; }
    int GetChannel() const { return m_nChannel; }

private:
    struct SystemEventTag
    {
    };
    CDisplayObj(SystemEventTag, QByteArrayView message, int channel);

    // Each sets the display line.
    void FormatCodedText(quint8 status);
    void FormatTextMessage();
    // printf into the display line, in place.
    void FormatText(const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);

    // The message bytes; none for a record read back from an archive (nothing reads them).
    InlineBytes<kMaxMessageBytes> m_pData;
    InlineBytes<kMaxLineBytes> m_strText;  // the display line
    int m_nLength = 3;
    quint32 m_crText = kBlack;
    quint32 m_crStatus = kBlack;
    int m_bFault = 0;
    int m_bTextMessage = 0;
    int m_nKind = KIND_ALARM;
    int m_nChannel = -1;
};
