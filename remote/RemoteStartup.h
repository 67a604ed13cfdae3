#pragma once
#include <QStringList>

// The remote monitor's part of start-up, after the channels' ports are open.

// Names ("COM1" ...) of the COM ports 1..100 that can be opened exclusively now; each is closed
// again at once, so ports held by a channel, or by anything else, are left out.
QStringList BuildPortList();

// Opens the program's remote monitor port from the stored record when remote monitoring is on.
// Nonzero when the port is open. A missing record, a device that cannot be opened and settings
// that cannot be applied (an index of -1 among them) are each reported to the user.
int OpenRemotePort();
