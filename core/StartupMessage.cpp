#include "core/StartupMessage.h"

namespace {
QString g_strPendingMessage;
}

void SetStartupMessage(const QString& message)
{
    g_strPendingMessage = message;
}

QString TakeStartupMessage()
{
    QString message;
    message.swap(g_strPendingMessage);
    return message;
}
