#pragma once
#include <QDate>
#include <QString>

// What the name of a day archive says: "<channel> <yyyyMMdd>.krv".
struct ArchiveName
{
    QString channel;
    QDate date;
};

// False for a name that is not a channel's day archive.
bool ParseArchiveName(const QString& fileName, ArchiveName& name);
