#pragma once
#include <QString>

// The station's port map, qvportmap.ini: section "ComPortAssignments" gives each channel its COM
// number (Channel3=COM7), section "ComPortDevices" the device behind a COM number.

// COM number of one assignment value: at most its first 5 characters count, the first three are
// skipped unexamined, the rest read as a decimal number; 0 when that gives no port.
int ParsePortAssignment(const QString& value);

// Reads both sections into the channel tables and the device map; returns how many channels got a
// valid port (a missing file gives none).
int ReadPortMap(const QString& path);
