#include "ui/DialogCommands.h"

#include "core/EventViewFlags.h"
#include "remote/RemoteSettings.h"
#include "ui/ArchiveDlg.h"
#include "ui/EventDialog.h"
#include "ui/RemoteMonDlg.h"

void OnEventView(QWidget* owner)
{
    EventDialog dialog(EventViewFlags::Load(), owner);
    if (dialog.exec() == QDialog::Accepted)
        dialog.Flags().Store();
}

void OnRemoteMonitoring(const QStringList& availablePorts, QWidget* owner)
{
    RemoteMonDlg dialog(LoadRemoteSettings(), availablePorts, owner);
    if (dialog.exec() == QDialog::Accepted)
        ApplyRemoteSettings(dialog.Settings());
}

void OnBackupArchives(QWidget* owner)
{
    CArchiveDlg dialog(owner);
    dialog.DoModal();
}
