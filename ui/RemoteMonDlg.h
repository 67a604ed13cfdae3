#pragma once
#include "remote/RemoteSettings.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class SerialSettingLists;

// Switches the output to the remote monitor on or off and chooses its COM port and line settings.
// It shows the record it is given and Settings() gives back what is chosen; the caller stores it
// when the dialog is accepted.
//
// A list's selected position is the value stored. A value that names no entry of its list (a port
// not among the free ones, an index beyond the table, -1) leaves the list without a selection, and
// a list without a selection gives -1 (the port 0).
class RemoteMonDlg : public QDialog
{
    Q_OBJECT
public:
    // stored: the record as stored; availablePorts: the names of the COM ports free at start-up
    // ("COM3" ...), offered for the monitor.
    RemoteMonDlg(const RemoteMonitorSettings& stored, const QStringList& availablePorts, QWidget* parent = nullptr);

    RemoteMonitorSettings Settings() const;

private:
    void OnInitDialog();
    void OnEnableClicked();
    void ShowSettings(const RemoteMonitorSettings& settings);
    void HideSettings();

    RemoteMonitorSettings m_stored;
    QStringList m_availablePorts;
    int m_bEnable = 0;
    QCheckBox* m_pEnable;
    QComboBox* m_pPort;
    SerialSettingLists* m_pLists;
};
