#pragma once
#include "comms/PortSettings.h"
#include "ui/PropertyPage.h"

class SerialSettingLists;

// The COM Settings page: the line settings stored for the channel's COM port. Confirmed, it asks
// the person to accept the interruption of logging first; only then does it give its choice, which
// the caller puts on the open line and stores.
class CCommsDialog : public CPropertyPage
{
    Q_OBJECT
public:
    // stored: the settings stored for the port, shown when the page is first shown.
    CCommsDialog(int channel, int port, const LineSettings& stored, QWidget* parent = nullptr);

    void OnOK() override;
    // True once the sheet was confirmed with this page shown and the warning accepted.
    bool Confirmed() const { return m_bConfirmed; }
    // The positions chosen, the flow control as handshake bits (0, 3 or 4); -1 for a list
    // without a selection.
    LineSettings Chosen() const;

    int m_nPort;
    int m_nChannel;

protected:
    void OnInitDialog() override;

private:
    bool HasPort() const { return m_nPort >= 1; }

    LineSettings m_stored;
    bool m_bConfirmed = false;
    SerialSettingLists* m_pLists;
};
