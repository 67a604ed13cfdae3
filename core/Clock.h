#pragma once
#include <QDateTime>

// The one source of "now" for the logging path. Tests set it to cross midnight, age archives
// and reach the end of the clock range without waiting.
class Clock
{
public:
    static QDateTime Now();
    static qint64 NowMsecs();  // Now() in ms since the epoch, without the time zone's cost

    // Now() as the local date and second of the day, for what is asked with every record: made
    // once a second, so most calls cost neither the time zone nor a QDateTime (which allocates for
    // a zone ahead of or behind UTC).
    struct LocalSecond
    {
        QDate date;
        int secondOfDay = 0;
    };
    static LocalSecond NowLocalSecond();
    static void SetNow(const QDateTime& fixed);   // tests only
    static void Reset();                           // back to the system clock

    // While one lives, Now() on its thread answers the time a message arrived (ms since the epoch;
    // 0 leaves Now() as it is): its record is stamped with when its frame came, however long it
    // waited for the thread that records it.
    class ArrivalScope
    {
    public:
        explicit ArrivalScope(qint64 arrivalMsecs);
        ~ArrivalScope();
        ArrivalScope(const ArrivalScope&) = delete;
        ArrivalScope& operator=(const ArrivalScope&) = delete;

    private:
        qint64 m_previous;
    };
};
