#include "ui/NotAvailable.h"

#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/MenuTable.h"

void ShowNotAvailable(int commandId)
{
    UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
    UserMessages().MessageBox(QString::fromLatin1(Str::kNotAvailable).arg(CommandName(commandId)),
                              IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
}
