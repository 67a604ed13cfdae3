#pragma once
#include <QDateTime>

// The one source of "now" for the logging path. Tests set it to cross midnight, age archives
// and reach the end of the clock range without waiting.
class Clock
{
public:
    static QDateTime Now();
    static void SetNow(const QDateTime& fixed);   // tests only
    static void Reset();                           // back to the system clock
};
