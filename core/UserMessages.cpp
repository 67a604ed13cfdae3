#include "core/UserMessages.h"

#include "core/Logging.h"

#include <cstdio>
#include <cstring>

namespace {
ConsoleMessages g_console;
IUserMessages* g_messages = nullptr;
}

IUserMessages& UserMessages()
{
    return g_messages ? *g_messages : g_console;
}

void SetUserMessages(IUserMessages* messages)
{
    g_messages = messages;
}

void ReportSystemError(int errorCode, IUserMessages::Icon icon)
{
    UserMessages().MessageBox(QString::fromLocal8Bit(std::strerror(errorCode)), IUserMessages::Buttons::Ok, icon);
}

void ConsoleMessages::MessageBeep(Beep kind)
{
    qCDebug(lcApp) << "beep" << int(kind);
}

int ConsoleMessages::MessageBox(const QString& text, Buttons buttons, Icon)
{
    // One line per box, whatever line ends the text holds.
    const QByteArray line = text.simplified().toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return DefaultAnswer(buttons);
}

int IUserMessages::DefaultAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo: return AnswerYes;
    case Buttons::RetryCancel: return AnswerRetry;
    case Buttons::Ok:
    case Buttons::OkCancel: break;
    }
    return AnswerOk;
}
