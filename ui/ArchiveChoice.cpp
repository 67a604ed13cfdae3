#include "ui/ArchiveChoice.h"

#include "archive/ArchiveFormat.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/Station.h"
#include "core/UserMessages.h"
#include "ui/UserDialogs.h"

#include <QDir>
#include <QFileInfo>

QString ChooseArchiveToView(QWidget* owner)
{
    const QString path = UserDialogs().GetOpenFileName(owner, {QString::fromLatin1(Str::kViewArchiveTitle),
                                                               QString::fromLatin1(Str::kViewArchiveFilter),
                                                               StationPath(QString::fromLatin1(Str::kArchivesDir))});
    if (path.isEmpty())
        return {};
    // The name only: a folder named after today passes here and is refused when the file is opened.
    QString key;
    GetTodayKey(key);
    const QString name = QFileInfo(path).fileName();
    if (name.contains(key)) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveAlreadyOpen).arg(name));
        return {};
    }
    return path;
}

QString ChooseFileToOpen(QWidget* owner)
{
    return UserDialogs().GetOpenFileName(owner, {QString::fromLatin1(Str::kOpenTitle),
                                                 QString::fromLatin1(Str::kOpenFilter), QDir::currentPath()});
}
