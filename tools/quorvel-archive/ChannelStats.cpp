#include "ChannelStats.h"

#include <QDateTime>

#include <algorithm>

namespace {

constexpr int kTimeTextSize = 8;  // "HH:MM:SS"

constexpr quint32 kStatusColours[ChannelStats::kStatuses] = {0x7F7F7F, 0xFFFFFF, 0x7F3F3F, 0x000000};

int TwoDigits(const char* p)
{
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
        return -1;
    return (p[0] - '0') * 10 + (p[1] - '0');
}

} // namespace

int ChannelStats::TimeOfDay(QByteArrayView line)
{
    if (line.size() < kTimeTextSize || line[2] != ':' || line[5] != ':')
        return -1;
    const int h = TwoDigits(line.data());
    const int m = TwoDigits(line.data() + 3);
    const int s = TwoDigits(line.data() + 6);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return -1;
    return h * 3600 + m * 60 + s;
}

std::string_view ChannelStats::AlarmText(const RecordView& record)
{
    // "HH:MM:SS " and, on a coded record, its status letter and blank.
    const qsizetype skip = kTimeTextSize + 1 + (record.textMessage ? 0 : 2);
    const QByteArrayView text = record.text.size() > skip ? record.text.sliced(skip) : QByteArrayView();
    return std::string_view(text.data(), size_t(text.size()));
}

QDateTime ChannelStats::AsDateTime(qint64 seconds)
{
    return QDateTime(QDate::fromJulianDay(seconds / 86400), QTime(0, 0).addSecs(int(seconds % 86400)));
}

void ChannelStats::BeginDay(const QDate& date)
{
    m_days.push_back(Day{date, 0, {}, {}, 0});
    m_dayStart = Seconds(date, 0);
}

void ChannelStats::Add(const RecordView& record)
{
    Day& day = m_days.back();
    ++day.records;
    Kind kind = Other;
    switch (record.kind) {
    case 0: kind = record.fault ? Fault : Alarm; break;
    case 1: kind = Event; break;
    case 2: kind = System; break;
    default: break;
    }
    ++day.kinds[kind];
    if (record.textMessage) {
        ++day.textMessages;
    } else {
        const auto* status = std::find(std::begin(kStatusColours), std::end(kStatusColours), record.statusColor);
        if (status != std::end(kStatusColours))
            ++day.statuses[size_t(status - std::begin(kStatusColours))];
    }
    const int secondOfDay = TimeOfDay(record.text);
    if (secondOfDay < 0)
        return;
    const qint64 time = m_dayStart + secondOfDay;
    if (m_hasLast && time - m_last > (m_hasGap ? m_gap.end - m_gap.start : 0)) {
        m_gap = Gap{m_last, time};
        m_hasGap = true;
    }
    m_hasLast = true;
    m_last = time;
    if (kind == Alarm) {
        ++m_alarms;
        m_floods.Add(time);
        CountText(AlarmText(record));
    }
}

void ChannelStats::CountText(std::string_view text)
{
    const auto found = m_texts.find(text);
    if (found != m_texts.end()) {
        ++found->second;
        return;
    }
    m_textStore.emplace_back(text);
    m_texts.emplace(std::string_view(m_textStore.back()), 1);
}

void ChannelStats::Finish()
{
    m_floods.Finish();
}

std::vector<ChannelStats::TextCount> ChannelStats::TopTexts() const
{
    std::vector<std::pair<std::string_view, qint64>> all(m_texts.begin(), m_texts.end());
    const auto more = [](const auto& a, const auto& b) { return a.second != b.second ? a.second > b.second : a.first < b.first; };
    const size_t shown = std::min<size_t>(all.size(), kTopTexts);
    std::partial_sort(all.begin(), all.begin() + qsizetype(shown), all.end(), more);
    std::vector<TextCount> top;
    for (size_t i = 0; i < shown; ++i)
        top.push_back(TextCount{QByteArray(all[i].first.data(), qsizetype(all[i].first.size())), all[i].second});
    return top;
}
