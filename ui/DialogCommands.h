#pragma once
#include <QStringList>

class QWidget;

// The commands that open a dialog of their own, each shown modal over its owner and gone when closed.

// "Event View": which kinds of events the windows list.
void OnEventView(QWidget* owner);
// "Remote Monitoring": the remote monitor's port and line settings; the ports offered are those free at start-up.
void OnRemoteMonitoring(const QStringList& availablePorts, QWidget* owner);
// "Backup Archives": copies the archives to the backup drive.
void OnBackupArchives(QWidget* owner);
