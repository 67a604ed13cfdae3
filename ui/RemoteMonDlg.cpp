#include "ui/RemoteMonDlg.h"

#include "comms/PortSettings.h"
#include "core/Labels.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "ui/OkCancelColumn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

template <size_t N>
void AddTexts(QComboBox* list, const char* const (&texts)[N])
{
    for (const char* text : texts)
        list->addItem(QString::fromLatin1(text));
}

template <size_t N>
void AddNumbers(QComboBox* list, const int (&numbers)[N])
{
    for (int number : numbers)
        list->addItem(QString::number(number));
}

// A position outside the list selects nothing: it is never taken as an index.
void Select(QComboBox* list, int position)
{
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

// The number of a port name made from "COM%1".
int PortNumber(const QString& name)
{
    const qsizetype prefix = QString::fromLatin1(Str::kComPortName).indexOf(QLatin1String("%1"));
    return name.mid(prefix).toInt();
}

} // namespace

RemoteMonDlg::RemoteMonDlg(const QStringList& availablePorts, QWidget* parent)
    : QDialog(parent)
    , m_availablePorts(availablePorts)
    , m_bEnable(g_nRemoteMonitorEnabled)
    , m_pEnable(new QCheckBox(QString::fromLatin1(Str::kRemoteEnableBox)))
    , m_pPort(new QComboBox)
    , m_pBaud(new QComboBox)
    , m_pDataBits(new QComboBox)
    , m_pParity(new QComboBox)
    , m_pStopBits(new QComboBox)
    , m_pFlowControl(new QComboBox)
{
    setWindowTitle(QString::fromLatin1(Str::kRemoteMonTitle));
    // Parity, stop bits and flow control are offered from the start; nothing is chosen until a
    // record is shown.
    AddTexts(m_pParity, Str::kParityNames);
    AddTexts(m_pStopBits, Str::kStopBitsNames);
    AddTexts(m_pFlowControl, Str::kFlowControlNames);
    for (QComboBox* list : Lists()) {
        list->setCurrentIndex(-1);
        // As wide as the longest entry ("Xon / Xoff"), filled or not, so the dialog keeps its shape.
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(10);
    }

    auto* form = new QFormLayout;
    const char* labels[] = {Str::kRemotePortLabel, Str::kRemoteBaudLabel, Str::kRemoteDataLabel,
                            Str::kRemoteParityLabel, Str::kRemoteStopLabel, Str::kRemoteFlowLabel};
    const QList<QComboBox*> lists = Lists();
    for (int i = 0; i < lists.size(); ++i)
        form->addRow(QString::fromLatin1(labels[i]), lists[i]);

    auto* settings = new QVBoxLayout;
    settings->addWidget(m_pEnable);
    settings->addSpacing(8);
    settings->addLayout(form);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(settings);
    layout->addSpacing(24);
    layout->addLayout(OkCancelColumn(this, [this] { OnOK(); }));

    connect(m_pEnable, &QCheckBox::clicked, this, &RemoteMonDlg::OnEnableClicked);
    OnInitDialog();
}

QList<QComboBox*> RemoteMonDlg::Lists() const
{
    return {m_pPort, m_pBaud, m_pDataBits, m_pParity, m_pStopBits, m_pFlowControl};
}

void RemoteMonDlg::OnInitDialog()
{
    int enabled = 0, port = 0, baud = 0, dataBits = 0, parity = 0, stopBits = 0, flowControl = 0;
    if (ReadRemoteSettings(enabled, port, baud, dataBits, parity, stopBits, flowControl) && enabled == 1) {
        m_bEnable = 1;
        ShowSettings(port, baud, dataBits, parity, stopBits, flowControl);
    } else {
        m_bEnable = 0;
        HideSettings();
    }
}

void RemoteMonDlg::OnEnableClicked()
{
    if (m_bEnable == 1) {
        m_bEnable = 0;
        HideSettings();
        return;
    }
    // What is stored is shown again, not what was chosen before the box was cleared.
    m_bEnable = 1;
    int enabled = 0, port = 0, baud = 0, dataBits = 0, parity = 0, stopBits = 0, flowControl = 0;
    ReadRemoteSettings(enabled, port, baud, dataBits, parity, stopBits, flowControl);
    ShowSettings(port, baud, dataBits, parity, stopBits, flowControl);
}

void RemoteMonDlg::ShowSettings(int port, int baud, int dataBits, int parity, int stopBits, int flowControl)
{
    m_pEnable->setChecked(true);
    for (QComboBox* list : Lists())
        list->setEnabled(true);
    if (m_pBaud->count() == 0) {
        m_pPort->addItems(m_availablePorts);
        AddNumbers(m_pBaud, PortTables::kBaudRates);
        AddNumbers(m_pDataBits, PortTables::kDataBits);
    }
    m_pPort->setCurrentIndex(m_pPort->findText(QString::fromLatin1(Str::kComPortName).arg(port)));
    Select(m_pBaud, baud);
    Select(m_pDataBits, dataBits);
    Select(m_pStopBits, stopBits);
    Select(m_pParity, parity);
    Select(m_pFlowControl, flowControl);
}

void RemoteMonDlg::HideSettings()
{
    m_pEnable->setChecked(false);
    for (QComboBox* list : Lists())
        list->setEnabled(false);
}

void RemoteMonDlg::OnOK()
{
    const int port = m_pPort->currentIndex() < 0 ? 0 : PortNumber(m_pPort->currentText());
    WriteRemoteSettings(m_bEnable, port, m_pBaud->currentIndex(), m_pDataBits->currentIndex(),
                        m_pParity->currentIndex(), m_pStopBits->currentIndex(), m_pFlowControl->currentIndex());
    // Off takes effect at once: frames not yet written are dropped with the port, and the
    // interpreter forwards nothing more.
    if (m_bEnable == 0 && RemotePort().IsOpen())
        RemotePort().Close(0);
    if (m_bEnable != 0 && !RemotePort().IsOpen())
        UserMessages().MessageBox(QString::fromLatin1(Str::kRestartToTakeEffect));
    accept();
}
