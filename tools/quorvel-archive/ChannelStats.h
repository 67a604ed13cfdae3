#pragma once
#include "FloodDetector.h"

#include "events/RecordScanner.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The figures of one channel over the archives read, fed record by record in the order they were
// logged, day after day. A record's time is the time text its display line starts with on the day
// of its archive; a record without one (damage) is counted but has no place in time.
//
// Kinds: alarm (kind 0 without the fault flag), fault (kind 0 with it), event, system and other
// (kind 3, or any number a damaged archive holds). Statuses: the letter of a coded record's status
// colour (L, R, S, X); text messages are counted apart. Floods, the most frequent texts and the
// share are of alarms; an alarm's text is its display line without the time and, for a coded
// record, the status letter, so the same alarm counts together whatever its status.
class ChannelStats
{
public:
    enum Kind { Alarm, Fault, Event, System, Other, kKinds };
    enum Status { L, R, S, X, kStatuses };
    static constexpr int kTopTexts = 10;

    struct Day
    {
        QDate date;
        qint64 records = 0;
        std::array<qint64, kKinds> kinds{};
        std::array<qint64, kStatuses> statuses{};
        qint64 textMessages = 0;
    };
    struct TextCount
    {
        QByteArray text;  // Latin-1, as in the archive
        qint64 count = 0;
    };
    struct Gap
    {
        qint64 start = 0;  // seconds (see Seconds)
        qint64 end = 0;
    };

    explicit ChannelStats(const QString& channel) : m_channel(channel) {}

    void BeginDay(const QDate& date);
    void Add(const RecordView& record);
    // After the last record: ends a flood under way.
    void Finish();

    // Seconds as the figures keep them: the day's Julian number times 86400 plus the time of day.
    static qint64 Seconds(const QDate& date, int secondOfDay) { return date.toJulianDay() * 86400 + secondOfDay; }
    static QDateTime AsDateTime(qint64 seconds);
    // The seconds of the day a display line's time text gives, or -1.
    static int TimeOfDay(QByteArrayView line);
    static std::string_view AlarmText(const RecordView& record);

    const QString& Channel() const { return m_channel; }
    const std::vector<Day>& Days() const { return m_days; }
    const std::vector<FloodDetector::Flood>& Floods() const { return m_floods.Floods(); }
    qint64 Alarms() const { return m_alarms; }
    // The most frequent alarm texts, most first (ties by text).
    std::vector<TextCount> TopTexts() const;
    bool HasGap() const { return m_hasGap; }
    const Gap& LongestGap() const { return m_gap; }

private:
    void CountText(std::string_view text);

    QString m_channel;
    std::vector<Day> m_days;
    qint64 m_dayStart = 0;
    FloodDetector m_floods;
    qint64 m_alarms = 0;
    std::deque<std::string> m_textStore;  // the keys of m_texts point into it
    std::unordered_map<std::string_view, qint64> m_texts;
    bool m_hasLast = false;
    qint64 m_last = 0;
    bool m_hasGap = false;
    Gap m_gap;
};
