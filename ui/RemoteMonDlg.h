#pragma once
#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;

// Switches the output to the remote monitor on or off and chooses its COM port and line settings
// (the record "RemoteMonitorSettings"). Switching off closes the monitor's port at once; switching
// on, or changing port or line settings, takes effect at the next start.
//
// A list's selected position is the value stored. A stored value that names no entry of its list
// (a port not among the free ones, an index beyond the table, -1) leaves the list without a
// selection, and a list without a selection is stored as -1 (the port as 0).
class RemoteMonDlg : public QDialog
{
    Q_OBJECT
public:
    // availablePorts: the names of the COM ports free at start-up ("COM3" ...), offered for the monitor.
    explicit RemoteMonDlg(const QStringList& availablePorts, QWidget* parent = nullptr);

private:
    void OnInitDialog();
    void OnEnableClicked();
    void OnOK();
    void ShowSettings(int port, int baud, int dataBits, int parity, int stopBits, int flowControl);
    void HideSettings();
    // The six lists: port, baud rate, data bits, parity, stop bits, flow control.
    QList<QComboBox*> Lists() const;

    QStringList m_availablePorts;
    int m_bEnable;
    QCheckBox* m_pEnable;
    QComboBox* m_pPort;
    QComboBox* m_pBaud;
    QComboBox* m_pDataBits;
    QComboBox* m_pParity;
    QComboBox* m_pStopBits;
    QComboBox* m_pFlowControl;
};
