#pragma once
#include <QByteArray>

// The alarm text table: almdata.txt of the station directory, read once at start-up and kept
// as bytes, one element per line. After the end-of-header marker line comes one unread line,
// then a block of eight lines per alarm number (kind, numbering flag, count base, line-state
// name, description, ...).

// Reads the file; 1 when both marker lines were found, 0 (after a box) when start-up must end.
int LoadAlarmTexts();

// Line f (0..7) of alarm n's block; empty when it lies outside the table.
QByteArray GetAlarmField(int n, int f);

// 1 when line 4 of alarm n's block is one of the twelve telephone-line state names.
int IsLineStateAlarm(int n);
