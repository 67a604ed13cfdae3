#include "archive/DiskSpace.h"

#include <QStorageInfo>

namespace {
std::function<DiskFigures(const QString&)> g_query;
}

DiskFigures QueryDiskFigures(const QString& dir)
{
    if (g_query)
        return g_query(dir);
    const QStorageInfo storage(dir);
    DiskFigures figures;
    figures.valid = storage.isValid() && storage.isReady();
    if (figures.valid) {
        figures.available = quint64(storage.bytesAvailable());
        figures.total = quint64(storage.bytesTotal());
    }
    return figures;
}

void SetDiskFiguresQuery(std::function<DiskFigures(const QString&)> query)
{
    g_query = std::move(query);
}
