#include "ui/SerialSettingLists.h"

#include "comms/PortSettings.h"
#include "core/Labels.h"

#include <QComboBox>
#include <QFormLayout>

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

void SelectPosition(QComboBox* list, int position)
{
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

} // namespace

QComboBox* NewSettingList()
{
    auto* list = new QComboBox;
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(10);
    list->setCurrentIndex(-1);
    return list;
}

SerialSettingLists::SerialSettingLists(QWidget* parent)
    : QWidget(parent)
    , m_pForm(new QFormLayout(this))
    , m_pBaud(NewSettingList())
    , m_pDataBits(NewSettingList())
    , m_pParity(NewSettingList())
    , m_pStopBits(NewSettingList())
    , m_pFlowControl(NewSettingList())
{
    m_pForm->setContentsMargins(0, 0, 0, 0);
    m_pForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    AddTexts(m_pParity, Str::kParityEntries);
    AddTexts(m_pStopBits, Str::kStopBitsEntries);
    AddTexts(m_pFlowControl, Str::kFlowEntries);
    const char* labels[] = {Str::kBaudLabel, Str::kDataBitsLabel, Str::kParityLabel, Str::kStopBitsLabel,
                            Str::kFlowControlLabel};
    const QList<QComboBox*> lists = Lists();
    for (int i = 0; i < lists.size(); ++i) {
        lists[i]->setCurrentIndex(-1);
        m_pForm->addRow(QString::fromLatin1(labels[i]), lists[i]);
    }
}

void SerialSettingLists::FillNumbers()
{
    if (m_pBaud->count() != 0)
        return;
    AddNumbers(m_pBaud, PortTables::kBaudRates);
    AddNumbers(m_pDataBits, PortTables::kDataBits);
    m_pBaud->setCurrentIndex(-1);
    m_pDataBits->setCurrentIndex(-1);
}

void SerialSettingLists::Select(const SerialListPositions& positions)
{
    SelectPosition(m_pBaud, positions.baud);
    SelectPosition(m_pDataBits, positions.dataBits);
    SelectPosition(m_pParity, positions.parity);
    SelectPosition(m_pStopBits, positions.stopBits);
    SelectPosition(m_pFlowControl, positions.flowControl);
}

SerialListPositions SerialSettingLists::Chosen() const
{
    return {m_pBaud->currentIndex(), m_pDataBits->currentIndex(), m_pParity->currentIndex(),
            m_pStopBits->currentIndex(), m_pFlowControl->currentIndex()};
}

void SerialSettingLists::SetListsEnabled(bool enabled)
{
    for (QComboBox* list : Lists())
        list->setEnabled(enabled);
}

QList<QComboBox*> SerialSettingLists::Lists() const
{
    return {m_pBaud, m_pDataBits, m_pParity, m_pStopBits, m_pFlowControl};
}
