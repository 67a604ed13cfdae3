#pragma once
#include "SimOptions.h"

#include <QMap>
#include <QString>

// The station files the simulator writes for the program: the port map (every channel assigned
// COMn; devices for the played lines; a port map of someone else's kept as qvportmap.ini.bak) and,
// when asked, the remote monitor's settings record in the program's settings store.
namespace SimStation {

QString PortMapPath(const SimOptions& options);
// devices: COM number to the slave path of its pseudo-terminal.
bool WritePortMap(const SimOptions& options, const QMap<int, QString>& devices, QString& error);
bool WriteMonitorSettings(const SimOptions& options, QString& error);

} // namespace SimStation
