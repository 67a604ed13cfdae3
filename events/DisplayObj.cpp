#include "events/DisplayObj.h"

#include "core/Clock.h"
#include "core/LeadingNumber.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "events/AlarmTexts.h"
#include "events/ByteFormat.h"
#include "events/StoringArchive.h"

#include <QTime>

#include <charconv>
#include <cstdarg>
#include <cstring>
#include <memory>

namespace {

constexpr int kTimeTextBytes = int(sizeof(Str::kEventTimeFormat)) - 1;  // "HH:mm:ss" shows as many characters
static_assert(CDisplayObj::kMaxLineBytes
                  == kTimeTextBytes + int(sizeof(Str::kAlarmClearLine)) - 1 - 4 + CDisplayObj::kMaxMessageBytes - 2,
              "the longest line is a type-132 line of the longest message");

const char* TimeText()
{
    // The text depends on the second of the day alone, so it is made once a second.
    thread_local int shownSecond = -1;
    thread_local char shown[kTimeTextBytes + 1] = "";
    const int second = Clock::NowLocalSecond().secondOfDay;
    if (second != shownSecond) {
        const QByteArray text =
            QTime::fromMSecsSinceStartOfDay(second * 1000).toString(QLatin1String(Str::kEventTimeFormat)).toLatin1();
        qstrncpy(shown, text.constData(), sizeof shown);
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
    : m_crStatus(kWhite)
    , m_nKind(KIND_OTHER)
    , m_nChannel(channel)
{
    const char message[3] = {char(status), char(alarm), char(value)};
    m_pData.Assign(message, 3);
    FormatCodedText(status);
}

CDisplayObj::CDisplayObj(const char* data, int length, int channel)
    : m_nLength(qMax(0, length))
    , m_crStatus(kWhite)
    , m_bTextMessage(1)
    , m_nChannel(channel)
{
    m_pData.Assign(data, m_nLength);
    FormatTextMessage();
}

CDisplayObj::CDisplayObj(SystemEventTag, QByteArrayView message, int channel)
    : m_nLength(0)
    , m_crText(kMidGreen)
    , m_crStatus(kWhite)
    , m_bTextMessage(1)
    , m_nKind(KIND_SYSTEM)
    , m_nChannel(channel)
{
    const int length = int(message.size());
    const char* time = TimeText();
    const int timeLength = int(std::strlen(time));
    char* line = m_strText.Resize(timeLength + 1 + length);
    std::memcpy(line, time, size_t(timeLength));
    line[timeLength] = ' ';
    if (length > 0)
        std::memcpy(line + timeLength + 1, message.data(), size_t(length));
}

CDisplayObj CDisplayObj::SystemEvent(QByteArrayView message, int channel)
{
    return CDisplayObj(SystemEventTag{}, message, channel);
}

void CDisplayObj::Reset()
{
    m_pData.Resize(0);
    m_strText.Resize(0);
    m_nLength = 3;
    m_crText = kBlack;
    m_crStatus = kBlack;
    m_bFault = 0;
    m_bTextMessage = 0;
    m_nKind = KIND_ALARM;
    m_nChannel = -1;
}

void CDisplayObj::FormatText(const char* format, ...)
{
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    qsizetype length = FormatBytesInto(m_strText.Resize(kMaxLineBytes), kMaxLineBytes, format, args);
    // A line longer than a record holds in itself is made again in a buffer of its size.
    if (length > kMaxLineBytes)
        length = FormatBytesInto(m_strText.Resize(int(length)), length, format, again);
    m_strText.Resize(int(length));
    va_end(again);
    va_end(args);
}

void CDisplayObj::FormatCodedText(quint8 status)
{
    const Status& st = kStatuses[status & 3];
    m_crStatus = st.colour;
    const int alarm = quint8(m_pData.Data()[1]);
    const int value = quint8(m_pData.Data()[2]);

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

    char countText[24] = "";
    if (GetAlarmField(alarm, 2) == "Y") {
        qint64 count = value + LeadingNumber(GetAlarmField(alarm, 3));
        if (IsLineStateAlarm(alarm) && count >= 64)
            count = count - 64 + GetLineCount(m_nChannel);
        *std::to_chars(countText, countText + sizeof countText - 1, count).ptr = '\0';
    }
    const QByteArray description = GetAlarmField(alarm, 5);
    FormatText(Str::kCodedEventLine, TimeText(), st.letter, kindLetter, alarm, description.constData(), countText);
}

void CDisplayObj::FormatTextMessage()
{
    m_crStatus = kWhite;
    const char* time = TimeText();
    m_nKind = KIND_OTHER;
    m_strText.Resize(0);
    // Shorter than 2 bytes there is no type; such a message gives an empty line of kind 3.
    if (m_nLength < 2)
        return;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(m_pData.Data());
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
    default: return;
    }

    if (textFormat) {
        m_nKind = KIND_ALARM;
        // The text ends at a zero byte or with the message: given to %s with a zero after it.
        const char* text = m_pData.Data() + 2;
        const int textLength = int(qstrnlen(text, uint(m_nLength - 2)));
        char inPlace[kMaxMessageBytes - 1];
        std::unique_ptr<char[]> longText;
        char* terminated = inPlace;
        if (textLength >= int(sizeof inPlace)) {
            longText.reset(new char[size_t(textLength) + 1]);
            terminated = longText.get();
        }
        std::memcpy(terminated, text, size_t(textLength));
        terminated[textLength] = '\0';
        FormatText(textFormat, time, terminated);
        return;
    }
    // A line message without both digit bytes has no line number: an empty line of kind 3.
    if (m_nLength < 4)
        return;
    m_nKind = KIND_EVENT;
    m_crText = kBlack;
    int line = 0;
    for (int i = 2; i < 4 && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        line = line * 10 + (bytes[i] - '0');
    FormatText(lineFormat, time, line);
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

void CDisplayObj::Serialize(StoringArchive& ar) const
{
    ar.WriteUInt32(m_crStatus);
    ar.WriteUInt32(m_crText);
    ar.WriteInt32(m_nKind);
    ar.WriteInt32(m_bFault);
    ar.WriteInt32(m_nLength);
    ar.WriteString(m_strText.Data(), m_strText.Size());
    ar.WriteInt32(m_bTextMessage);
}

LoadingArchive::Status CDisplayObj::Serialize(LoadingArchive& ar)
{
    qint32 kind = 0, fault = 0, length = 0, textMessage = 0;
    LoadingArchive::Status status;
    if ((status = ar.ReadUInt32(m_crStatus)) != LoadingArchive::Ok
        || (status = ar.ReadUInt32(m_crText)) != LoadingArchive::Ok
        || (status = ar.ReadInt32(kind)) != LoadingArchive::Ok)
        return status;
    m_nKind = kind;
    if ((status = ar.ReadInt32(fault)) != LoadingArchive::Ok)
        return status;
    m_bFault = fault;
    if ((status = ar.ReadInt32(length)) != LoadingArchive::Ok)
        return status;
    m_nLength = length;
    m_strText.Resize(0);
    quint32 textLength = 0;
    bool wide = false;
    if ((status = ar.ReadStringLength(textLength, wide)) != LoadingArchive::Ok)
        return status;
    if ((status = ar.ReadStringBytes(m_strText.Resize(int(textLength)), textLength, wide)) != LoadingArchive::Ok) {
        m_strText.Resize(0);
        return status;
    }
    if ((status = ar.ReadInt32(textMessage)) != LoadingArchive::Ok)
        return status;
    m_bTextMessage = textMessage;
    return LoadingArchive::Ok;
}
