#pragma once
#include "ui/PropertyPage.h"

class CSerialComms;
class QComboBox;

// The COM Settings page: the line settings stored for the channel's COM port. Confirmed after a
// warning, it stores them and gives the open port its new rate, data bits, parity and stop bits at
// once; the flow control is only stored and reaches the port when it is next opened.
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
    void ApplyToPort(int baud, int data, int stop, int parity);

    CSerialComms* m_pComms;
    QComboBox* m_cbFlow;
    QComboBox* m_cbStop;
    QComboBox* m_cbParity;
    QComboBox* m_cbData;
    QComboBox* m_cbBaud;
};
