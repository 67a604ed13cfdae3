#include "ui/DialogCommands.h"

#include "ui/ArchiveDlg.h"
#include "ui/EventDialog.h"
#include "ui/RemoteMonDlg.h"

void OnEventView(QWidget* owner)
{
    EventDialog dialog(owner);
    dialog.exec();
}

void OnRemoteMonitoring(const QStringList& availablePorts, QWidget* owner)
{
    RemoteMonDlg dialog(availablePorts, owner);
    dialog.exec();
}

void OnBackupArchives(QWidget* owner)
{
    CArchiveDlg dialog(owner);
    dialog.DoModal();
}
