#include "events/DisplayObj.h"

#include "core/Clock.h"
#include "core/LeadingNumber.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "events/AlarmTexts.h"
#include "events/ByteFormat.h"
#include "events/StoringArchive.h"

#include <charconv>
#include <cstring>

namespace {

QByteArray TimeText()
{
    // The text depends on the second of the day alone, so it is made once a second.
    thread_local int shownSecond = -1;
    thread_local QByteArray shown;
    const QTime now = Clock::Now().time();
    const int second = now.msecsSinceStartOfDay() / 1000;
    if (second != shownSecond) {
        shown = now.toString(QLatin1String(Str::kEventTimeFormat)).toLatin1();
        shownSecond = second;
    }
    return shown;
}

struct Status
{
    char letter;
    quint32 colour;
};
constexpr Status kStatuses[4] = {
    {'L', CDisplayObj::kDarkGrey}, {'R', CDisplayObj::kWhite}, {'S', CDisplayObj::kSlateBlue}, {'X', CDisplayObj::kBlack}};

} // namespace

CDisplayObj::CDisplayObj() = default;

CDisplayObj::CDisplayObj(quint8 status, quint8 alarm, quint8 value, int channel)
    : m_pData(new char[3]{char(status), char(alarm), char(value)})
    , m_crStatus(kWhite)
    , m_nKind(KIND_OTHER)
    , m_nChannel(channel)
{
    SetText(FormatCodedText(status));
}

CDisplayObj::CDisplayObj(const char* data, int length, int channel)
    : m_nLength(qMax(0, length))
    , m_crStatus(kWhite)
    , m_bTextMessage(1)
    , m_nChannel(channel)
{
    if (m_nLength > 0) {
        m_pData.reset(new char[size_t(m_nLength)]);
        std::memcpy(m_pData.get(), data, size_t(m_nLength));
    }
    SetText(FormatTextMessage());
}

std::unique_ptr<CDisplayObj> CDisplayObj::SystemEvent(const QByteArray& message, int channel)
{
    auto record = std::make_unique<CDisplayObj>();
    record->m_nLength = 0;
    record->m_crStatus = kWhite;
    record->m_crText = kMidGreen;
    record->m_nKind = KIND_SYSTEM;
    record->m_bTextMessage = 1;
    record->m_nChannel = channel;
    record->SetText(TimeText() + ' ' + message);
    return record;
}

void CDisplayObj::SetText(const QByteArray& text)
{
    m_textLength = int(text.size());
    m_text.reset(m_textLength > 0 ? new char[size_t(m_textLength)] : nullptr);
    if (m_textLength > 0)
        std::memcpy(m_text.get(), text.constData(), size_t(m_textLength));
}

QByteArray CDisplayObj::FormatCodedText(quint8 status)
{
    const Status& st = kStatuses[status & 3];
    m_crStatus = st.colour;
    const int alarm = quint8(m_pData[1]);
    const int value = quint8(m_pData[2]);

    const QByteArray kindName = GetAlarmField(alarm, 1);
    const char* kindLetter = "X";
    m_nKind = KIND_OTHER;
    m_crText = kMidGreen;
    if (kindName == "FAULT") {
        kindLetter = "F";
        m_nKind = KIND_ALARM;
        m_bFault = 1;
        m_crText = st.letter == 'R' ? kRed : kGreen;
    } else if (kindName == "ALARM") {
        kindLetter = "A";
        m_nKind = KIND_ALARM;
        m_crText = kBlue;
    } else if (kindName == "EVENT") {
        kindLetter = "E";
        m_nKind = KIND_EVENT;
        m_crText = kBlack;
    } else if (kindName == "SYSTEM") {
        kindLetter = "S";
        m_nKind = KIND_SYSTEM;
    }

    char countText[24] = "";  // made here, not in a QByteArray: this runs for every record
    if (GetAlarmField(alarm, 2) == "Y") {
        qint64 count = value + LeadingNumber(GetAlarmField(alarm, 3));
        if (IsLineStateAlarm(alarm) && count >= 64)
            count = count - 64 + GetLineCount(m_nChannel);
        *std::to_chars(countText, countText + sizeof countText - 1, count).ptr = '\0';
    }
    const QByteArray description = GetAlarmField(alarm, 5);
    return FormatBytes(Str::kCodedEventLine, TimeText().constData(), st.letter, kindLetter, alarm,
                       description.constData(), countText);
}

QByteArray CDisplayObj::FormatTextMessage()
{
    m_crStatus = kWhite;
    const QByteArray time = TimeText();
    m_nKind = KIND_OTHER;
    // Shorter than 2 bytes there is no type; such a message gives an empty line of kind 3.
    if (m_nLength < 2)
        return {};
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(m_pData.get());
    const int type = bytes[0] + bytes[1];

    const char* textFormat = nullptr;
    const char* lineFormat = nullptr;
    switch (type) {
    case 132: textFormat = Str::kAlarmClearLine; m_crText = kGrey; break;
    case 148: textFormat = Str::kAlarmRaisedLine; m_crText = kBlue; break;
    case 143: lineFormat = Str::kIncomingClearDownLine; break;
    case 146: lineFormat = Str::kOperatorClearDownLine; break;
    case 155: lineFormat = Str::kIncomingOffHookLine; break;
    case 158: lineFormat = Str::kOperatorOffHookLine; break;
    default: return {};
    }

    if (textFormat) {
        m_nKind = KIND_ALARM;
        const char* text = m_pData.get() + 2;
        const QByteArray message(text, qsizetype(qstrnlen(text, uint(m_nLength - 2))));
        return FormatBytes(textFormat, time.constData(), message.constData());
    }
    // A line message without both digit bytes has no line number: an empty line of kind 3.
    if (m_nLength < 4)
        return {};
    m_nKind = KIND_EVENT;
    m_crText = kBlack;
    int line = 0;
    for (int i = 2; i < 4 && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        line = line * 10 + (bytes[i] - '0');
    return FormatBytes(lineFormat, time.constData(), line);
}

int CDisplayObj::PassesFilter(int call, int fault, int normal, int system) const
{
    return KindPassesFilter(m_nKind, call, fault, normal, system);
}

int CDisplayObj::KindPassesFilter(int kind, int call, int fault, int normal, int system)
{
    switch (kind) {
    case KIND_ALARM: return (call || fault) ? 1 : 0;
    case KIND_EVENT: return normal ? 1 : 0;
    case KIND_SYSTEM: return system ? 1 : 0;
    default: return 0;
    }
}

void CDisplayObj::Serialize(CStoringArchive& ar) const
{
    ar.WriteUInt32(m_crStatus);
    ar.WriteUInt32(m_crText);
    ar.WriteInt32(m_nKind);
    ar.WriteInt32(m_bFault);
    ar.WriteInt32(m_nLength);
    ar.WriteString(m_text.get(), m_textLength);
    ar.WriteInt32(m_bTextMessage);
}

CLoadingArchive::Status CDisplayObj::Serialize(CLoadingArchive& ar)
{
    qint32 kind = 0, fault = 0, length = 0, textMessage = 0;
    CLoadingArchive::Status status;
    if ((status = ar.ReadUInt32(m_crStatus)) != CLoadingArchive::Ok
        || (status = ar.ReadUInt32(m_crText)) != CLoadingArchive::Ok
        || (status = ar.ReadInt32(kind)) != CLoadingArchive::Ok)
        return status;
    m_nKind = kind;
    if ((status = ar.ReadInt32(fault)) != CLoadingArchive::Ok)
        return status;
    m_bFault = fault;
    if ((status = ar.ReadInt32(length)) != CLoadingArchive::Ok)
        return status;
    m_nLength = length;
    if ((status = ar.ReadString(m_text, m_textLength)) != CLoadingArchive::Ok)
        return status;
    if ((status = ar.ReadInt32(textMessage)) != CLoadingArchive::Ok)
        return status;
    m_bTextMessage = textMessage;
    return CLoadingArchive::Ok;
}
