#pragma once
#include "ui/PropertyPage.h"

class CSerialComms;
class QComboBox;
struct LineRefusal;

// The COM Settings page: the line settings stored for the channel's COM port. Confirmed after a
// warning, it gives the open port its new rate, data bits, parity and stop bits at once and stores
// them, unless the port refuses them; the flow control is only stored and reaches the port when
// it is next opened.
class CCommsDialog : public CPropertyPage
{
    Q_OBJECT
public:
    // comms: the channel's comms stack, nullptr when it has none.
    CCommsDialog(int channel, int port, CSerialComms* comms, QWidget* parent = nullptr);

    void OnOK() override;

    int m_nPort;
    int m_nChannel;

protected:
    void OnInitDialog() override;

private:
    bool HasPort() const { return m_nPort >= 1; }
    // Puts the chosen format on the open line; false, with the setting refused, when the device
    // refuses it (the line runs on as it was).
    bool ApplyToPort(int baud, int data, int stop, int parity, LineRefusal* refusal);

    CSerialComms* m_pComms;
    QComboBox* m_cbFlow;
    QComboBox* m_cbStop;
    QComboBox* m_cbParity;
    QComboBox* m_cbData;
    QComboBox* m_cbBaud;
};
