#include "ui/CommsDialog.h"

#include "core/Labels.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/SerialSettingLists.h"
#include "ui/UiLogging.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kFlowNone = 0;
constexpr int kFlowHardware = 1;
constexpr int kFlowXonXoff = 2;

} // namespace

CCommsDialog::CCommsDialog(int channel, int port, const LineSettings& stored, QWidget* parent)
    : CPropertyPage(QString::fromLatin1(Str::kCommsPage), parent)
    , m_nPort(port)
    , m_nChannel(channel)
    , m_stored(stored)
    , m_pLists(new SerialSettingLists)
{
    qCDebug(lcUi) << "Setting up Comms dialog for port for COM" << m_nPort;
    m_pLists->FillNumbers();
    m_pLists->SetListsEnabled(HasPort());
    // A channel the port map gives no port has no settings to show or store.
    if (!HasPort()) {
        auto* note = new QLabel(QString::fromLatin1(Str::kChannelHasNoPort).arg(m_nChannel));
        note->setWordWrap(true);
        m_pLists->Form()->insertRow(0, note);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(m_pLists);
    layout->addStretch(1);
}

void CCommsDialog::OnInitDialog()
{
    if (!HasPort())
        return;
    // Handshake bits without XON/XOFF (1 to 3) are shown as Hardware, any other value as Xon / Xoff.
    // A value that could not be read is no handshake at all and selects nothing.
    const int shake = m_stored.shake;
    const int flow = shake < 0 ? -1 : shake == 0 ? kFlowNone : shake <= 3 ? kFlowHardware : kFlowXonXoff;
    m_pLists->Select({m_stored.baud, m_stored.dataBits, m_stored.parity, m_stored.stopBits, flow});
}

void CCommsDialog::OnOK()
{
    if (!HasPort())
        return;
    m_bConfirmed = UserMessages().MessageBox(QString::fromLatin1(Str::kComSettingsWarning),
                                             IUserMessages::Buttons::OkCancel, IUserMessages::Icon::Exclamation)
        == IUserMessages::AnswerOk;
}

LineSettings CCommsDialog::Chosen() const
{
    const SerialListPositions chosen = m_pLists->Chosen();
    const int flow = chosen.flowControl;
    return {chosen.baud, chosen.dataBits, chosen.parity, chosen.stopBits,
            flow < 0                ? -1
                : flow == kFlowNone     ? 0
                : flow == kFlowHardware ? ShakeDtrDsr | ShakeRtsCts
                                        : ShakeXonXoff};
}
