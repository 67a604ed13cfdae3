#include "ui/RemoteMonDlg.h"

#include "core/Labels.h"
#include "ui/OkCancelColumn.h"
#include "ui/SerialSettingLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// The number of a port name made from "COM%1".
int PortNumber(const QString& name)
{
    const qsizetype prefix = QString::fromLatin1(Str::kComPortName).indexOf(QLatin1String("%1"));
    return name.mid(prefix).toInt();
}

} // namespace

RemoteMonDlg::RemoteMonDlg(const RemoteMonitorSettings& stored, const QStringList& availablePorts, QWidget* parent)
    : QDialog(parent)
    , m_stored(stored)
    , m_availablePorts(availablePorts)
    , m_pEnable(new QCheckBox(QString::fromLatin1(Str::kRemoteEnableBox)))
    , m_pPort(NewSettingList())
    , m_pLists(new SerialSettingLists)
{
    setWindowTitle(QString::fromLatin1(Str::kRemoteMonTitle));
    m_pLists->Form()->insertRow(0, QString::fromLatin1(Str::kRemotePortLabel), m_pPort);

    auto* settings = new QVBoxLayout;
    settings->addWidget(m_pEnable);
    settings->addSpacing(8);
    settings->addWidget(m_pLists);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(settings);
    layout->addSpacing(24);
    layout->addLayout(OkCancelColumn(this, [this] { accept(); }));

    connect(m_pEnable, &QCheckBox::clicked, this, &RemoteMonDlg::OnEnableClicked);
    OnInitDialog();
}

void RemoteMonDlg::OnInitDialog()
{
    if (m_stored.enabled == 1) {
        m_bEnable = 1;
        ShowSettings(m_stored);
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
    ShowSettings(m_stored);
}

void RemoteMonDlg::ShowSettings(const RemoteMonitorSettings& settings)
{
    m_pEnable->setChecked(true);
    m_pPort->setEnabled(true);
    m_pLists->SetListsEnabled(true);
    // The ports, rates and data bits are offered once the output is first shown on.
    if (m_pPort->count() == 0)
        m_pPort->addItems(m_availablePorts);
    m_pLists->FillNumbers();
    m_pPort->setCurrentIndex(m_pPort->findText(QString::fromLatin1(Str::kComPortName).arg(settings.port)));
    m_pLists->Select({settings.baud, settings.dataBits, settings.parity, settings.stopBits, settings.flowControl});
}

void RemoteMonDlg::HideSettings()
{
    m_pEnable->setChecked(false);
    m_pPort->setEnabled(false);
    m_pLists->SetListsEnabled(false);
}

RemoteMonitorSettings RemoteMonDlg::Settings() const
{
    const SerialListPositions chosen = m_pLists->Chosen();
    RemoteMonitorSettings settings;
    settings.enabled = m_bEnable;
    settings.port = m_pPort->currentIndex() < 0 ? 0 : PortNumber(m_pPort->currentText());
    settings.baud = chosen.baud;
    settings.dataBits = chosen.dataBits;
    settings.parity = chosen.parity;
    settings.stopBits = chosen.stopBits;
    settings.flowControl = chosen.flowControl;
    return settings;
}
