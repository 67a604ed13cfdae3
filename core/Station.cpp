#include "core/Station.h"

#include "core/Strings.h"
#include "core/UserMessages.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {
QString g_stationDir = QStringLiteral(".");
}

QString StationDir()
{
    return g_stationDir;
}

void SetStationDir(const QString& dir)
{
    g_stationDir = QDir(dir).absolutePath();
}

QString StationPath(const QString& name)
{
    return g_stationDir + QLatin1Char('/') + name;
}

void ReportStationDirOpenToOthers()
{
    struct stat info = {};
    if (::stat(QFile::encodeName(g_stationDir).constData(), &info) != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return;
    UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
    UserMessages().MessageBox(QString::fromLatin1(Str::kStationDirOpen).arg(g_stationDir), IUserMessages::Buttons::Ok,
                              IUserMessages::Icon::Exclamation);
}
