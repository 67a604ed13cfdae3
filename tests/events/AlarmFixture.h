#pragma once
#include <QByteArrayList>
#include <QMap>

// An almdata.txt for tests: the header line, the end-of-header marker, the unread line, then
// eight lines per alarm number. blocks maps an alarm number to lines 1..5 of its block (kind,
// numbering flag, count base, line-state name, description); numbers not given get empty blocks.
QByteArray AlarmFileBytes(const QMap<int, QByteArrayList>& blocks);

// Writes it into the current test station and loads it; false when loading failed.
bool LoadAlarmFixture(const QMap<int, QByteArrayList>& blocks);
