#pragma once
#include <QString>

#include <functional>

// The figures of the disk that holds a directory, as the archive's space check needs them.
struct DiskFigures
{
    bool valid = false;
    quint64 available = 0;  // bytes available to the program
    quint64 total = 0;
};

DiskFigures QueryDiskFigures(const QString& dir);

// Replaces where the figures come from (tests give a disk of any size); an empty function
// returns to the real disk.
void SetDiskFiguresQuery(std::function<DiskFigures(const QString&)> query);
