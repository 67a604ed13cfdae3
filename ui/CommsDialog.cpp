#include "ui/CommsDialog.h"

#include "comms/PortSettings.h"
#include "comms/SerialComms.h"
#include "core/Labels.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "ui/UiLogging.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

namespace {

constexpr int kFlowNone = 0;
constexpr int kFlowHardware = 1;
constexpr int kFlowXonXoff = 2;

QComboBox* AddList(QFormLayout* layout, const char* label, const QStringList& entries)
{
    auto* list = new QComboBox;
    list->addItems(entries);
    list->setCurrentIndex(-1);
    layout->addRow(QString::fromLatin1(label), list);
    return list;
}

QStringList Numbers(const int* values, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QString::number(values[i]));
    return texts;
}

QStringList Texts(const char* const* texts, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QString::fromLatin1(texts[i]));
    return list;
}

// A stored index outside its list selects nothing.
void Select(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

QString Section(int port)
{
    return QString::fromLatin1(Str::kPortSettingsSection).arg(port);
}

} // namespace

CCommsDialog::CCommsDialog(int channel, int port, CSerialComms* comms, QWidget* parent)
    : CPropertyPage(QString::fromLatin1(Str::kCommsPage), parent)
    , m_nPort(port)
    , m_nChannel(channel)
    , m_pComms(comms)
{
    qCDebug(lcUi) << "Setting up Comms dialog for port for COM" << m_nPort;
    auto* layout = new QFormLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_cbBaud = AddList(layout, Str::kBaudLabel, Numbers(PortTables::kBaudRates, PortTables::kBaudCount));
    m_cbData = AddList(layout, Str::kDataBitsLabel, Numbers(PortTables::kDataBits, PortTables::kDataCount));
    m_cbParity = AddList(layout, Str::kParityLabel, Texts(Str::kParityEntries, PortTables::kParityCount));
    m_cbStop = AddList(layout, Str::kStopBitsLabel, Texts(Str::kStopBitsEntries, PortTables::kStopBitsCount));
    m_cbFlow = AddList(layout, Str::kFlowControlLabel, Texts(Str::kFlowEntries, kFlowXonXoff + 1));
    for (QComboBox* list : {m_cbBaud, m_cbData, m_cbParity, m_cbStop, m_cbFlow}) {
        list->setMinimumWidth(120);
        list->setEnabled(HasPort());
    }
    // A channel the port map gives no port has no settings to show or store.
    if (!HasPort()) {
        auto* note = new QLabel(QString::fromLatin1(Str::kChannelHasNoPort).arg(m_nChannel));
        note->setWordWrap(true);
        layout->insertRow(0, note);
    }
}

void CCommsDialog::OnInitDialog()
{
    if (!HasPort())
        return;
    const PortSettingsRecord record = LoadPortSettings(m_nPort);
    Select(m_cbBaud, record.line.baud);
    Select(m_cbData, record.line.dataBits);
    Select(m_cbStop, record.line.stopBits);
    Select(m_cbParity, record.line.parity);
    // Any handshake bit but XON/XOFF alone is shown as Hardware. A value that could not be read
    // is no handshake at all and selects nothing.
    const int shake = record.line.shake;
    if (shake >= 0)
        m_cbFlow->setCurrentIndex(shake == 0 ? kFlowNone : shake <= 3 ? kFlowHardware : kFlowXonXoff);
}

void CCommsDialog::OnOK()
{
    if (!HasPort())
        return;
    if (UserMessages().MessageBox(QString::fromLatin1(Str::kComSettingsWarning), IUserMessages::Buttons::OkCancel,
                                  IUserMessages::Icon::Exclamation)
        != IUserMessages::AnswerOk)
        return;
    const int baud = m_cbBaud->currentIndex();
    const int data = m_cbData->currentIndex();
    const int stop = m_cbStop->currentIndex();
    const int parity = m_cbParity->currentIndex();
    const int flow = m_cbFlow->currentIndex();
    // The stored record is the one the line runs with: a change the open line refuses is not
    // stored, or the next start would leave the line closed.
    LineRefusal refusal;
    if (!ApplyToPort(baud, data, stop, parity, &refusal)) {
        UserMessages().MessageBox(
            QString::fromLatin1(Str::kComSettingRefused).arg(QString::number(m_nPort), refusal.setting, refusal.reason),
            IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
        return;
    }

    // A list without a selection leaves its stored value as it is.
    const QString section = Section(m_nPort);
    WriteProfileInt(section, QStringLiteral("Port"), m_nPort);
    const std::pair<const char*, int> values[] = {
        {"Baud", baud}, {"Data", data}, {"Stop", stop}, {"Parity", parity},
        {"Shake", flow < 0 ? -1 : flow == kFlowNone ? 0 : flow == kFlowHardware ? ShakeDtrDsr | ShakeRtsCts : ShakeXonXoff}};
    for (const auto& [key, value] : values) {
        if (value >= 0)
            WriteProfileInt(section, QString::fromLatin1(key), value);
    }
}

bool CCommsDialog::ApplyToPort(int baud, int data, int stop, int parity, LineRefusal* refusal)
{
    // A port that is not open takes the stored record when it is next opened.
    if (!m_pComms || !m_pComms->IsConnected())
        return true;
    // What a list without a selection stands for stays on the line as it runs now.
    LineSettings line = m_pComms->Line();
    for (auto [index, setting] : {std::pair{baud, &line.baud}, std::pair{data, &line.dataBits},
                                  std::pair{stop, &line.stopBits}, std::pair{parity, &line.parity}}) {
        if (index >= 0)
            *setting = index;
    }
    return m_pComms->ChangeLineFormat(line, refusal) != 0;
}
