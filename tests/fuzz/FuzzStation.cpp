#include "tests/fuzz/FuzzStation.h"

#include "core/Clock.h"
#include "core/UserMessages.h"
#include "tests/support/TestStation.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <cstdlib>

namespace {

class CountedMessages : public IUserMessages
{
public:
    void MessageBeep(Beep) override {}
    int MessageBox(const QString&, Buttons, Icon) override
    {
        ++shown;
        return AnswerOk;
    }
    int shown = 0;
};

CountedMessages g_messages;
TestStation* g_station = nullptr;

} // namespace

void FuzzStation::Start(int* argc, char*** argv)
{
    // Both live until the process ends: libFuzzer calls the target until then.
    new QCoreApplication(*argc, *argv);
    g_station = new TestStation;
    SetUserMessages(&g_messages);
    // A fixed time of day keeps the event lines of equal messages equal.
    Clock::SetNow(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)));
}

int FuzzStation::BoxesShown()
{
    return g_messages.shown;
}

QString FuzzStation::Path(const QString& name)
{
    return g_station->Path(name);
}

void FuzzStation::WriteFile(const QString& name, const QByteArray& bytes)
{
    g_station->WriteFile(name, bytes);
}

void FuzzRequire(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}
