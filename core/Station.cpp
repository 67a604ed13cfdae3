#include "core/Station.h"

#include <QDir>

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
