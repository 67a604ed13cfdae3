#include "tests/fuzz/FuzzStation.h"

#include "core/Clock.h"
#include "core/UserMessages.h"
#include "tests/support/TestStation.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <memory>

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
std::unique_ptr<TestStation> g_station;  // removed at exit, with its folder

} // namespace

void FuzzStation::Start(int* argc, char*** argv)
{
    // libFuzzer calls the target until the process ends.
    new QCoreApplication(*argc, *argv);
    // libFuzzer reads the corpus and writes findings by the paths given, after this.
    const QString current = QDir::currentPath();
    // The targets rewrite station files for every input: in memory, where the system offers it,
    // that costs no disk flush.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    g_station = std::make_unique<TestStation>();
    QDir::setCurrent(current);
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

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzStation::Start(argc, argv);
    return 0;
}

void FuzzRequire(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}
