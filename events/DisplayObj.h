#pragma once
#include "events/LoadingArchive.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

class CStoringArchive;

// One line of a channel's event log, built from an application message (three bytes: a coded
// message decoded with the alarm text table; any other length: a text message) or read back
// from an archive. Kept small: a day's list may hold a million of them.
class CDisplayObj
{
public:
    enum Kind { KIND_ALARM = 0, KIND_EVENT = 1, KIND_SYSTEM = 2, KIND_OTHER = 3 };

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
    static std::unique_ptr<CDisplayObj> SystemEvent(const QByteArray& message, int channel);
    CDisplayObj(const CDisplayObj&) = delete;
    CDisplayObj& operator=(const CDisplayObj&) = delete;

    // The stored form: status colour, text colour, kind, fault, length, counted text, source flag.
    void Serialize(CStoringArchive& ar) const;
    // Reads the stored form. On Corrupt the fields read so far are kept and the rest stay as they were.
    CLoadingArchive::Status Serialize(CLoadingArchive& ar);

    int PassesFilter(int call, int fault, int normal, int system) const;
    // The same test for a record of the given kind.
    static int KindPassesFilter(int kind, int call, int fault, int normal, int system);

    QByteArray GetText() const { return QByteArray(m_text.get(), m_textLength); }
    QByteArrayView TextView() const { return {m_text.get(), m_textLength}; }  // no copy, for output
    QString GetDisplayText() const { return QString::fromLatin1(m_text.get(), m_textLength); }  // for drawing
    quint32 GetTextColor() const { return m_crText; }
    quint32 GetStatusColor() const { return m_crStatus; }
    int IsFault() const { return m_bFault; }
    int IsTextMessage() const { return m_bTextMessage; }
    int GetKind() const { return m_nKind; }
    int GetLength() const { return m_nLength; }
    int GetChannel() const { return m_nChannel; }

private:
    QByteArray FormatCodedText(quint8 status);
    QByteArray FormatTextMessage();
    void SetText(const QByteArray& text);

    // The message bytes; none for a record read back from an archive (nothing reads them).
    std::unique_ptr<char[]> m_pData;
    std::unique_ptr<char[]> m_text;  // the display line, m_textLength bytes
    int m_textLength = 0;
    int m_nLength = 3;
    quint32 m_crText = kBlack;
    quint32 m_crStatus = kBlack;
    int m_bFault = 0;
    int m_bTextMessage = 0;
    int m_nKind = KIND_ALARM;
    int m_nChannel = -1;
};
