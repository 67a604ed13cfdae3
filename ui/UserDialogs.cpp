#include "ui/UserDialogs.h"

#include "ui/WindowDialogs.h"

namespace {

IUserDialogs* g_pDialogs = nullptr;

} // namespace

IUserDialogs& UserDialogs()
{
    if (g_pDialogs)
        return *g_pDialogs;
    static WindowDialogs real;
    return real;
}

void SetUserDialogs(IUserDialogs* dialogs)
{
    g_pDialogs = dialogs;
    SetUserMessages(dialogs);
}
