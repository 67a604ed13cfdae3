#pragma once
#include <QByteArrayList>
#include <QMap>

// The alarm blocks the record target decodes with and the seeds start from: every kind, counted
// and plain alarms, count bases of every sign and size, line-state names right and nearly right.
QMap<int, QByteArrayList> SampleAlarmBlocks();
