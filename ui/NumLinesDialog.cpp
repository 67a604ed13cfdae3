#include "ui/NumLinesDialog.h"

#include "core/Labels.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

NumLinesDialog::NumLinesDialog(int channel, int lineCount, QWidget* parent)
    : CPropertyPage(QString::fromLatin1(Str::kLineCountPage), parent)
    , m_nChannel(channel)
    , m_nLineCount(lineCount)
    , m_p64Line(new QRadioButton(QString::fromLatin1(Str::k64Line)))
    , m_p40Line(new QRadioButton(QString::fromLatin1(Str::k40Line)))
{
    auto* group = new QGroupBox(QString::fromLatin1(Str::kNumberOfLines));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_p64Line);
    groupLayout->addWidget(m_p40Line);
    auto* buttons = new QButtonGroup(this);
    buttons->addButton(m_p64Line, 0);
    buttons->addButton(m_p40Line, 1);
    connect(buttons, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            m_nLineType = id;
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(group);
    layout->addStretch(1);
}

void NumLinesDialog::OnInitDialog()
{
    (m_nLineCount == 64 ? m_p64Line : m_p40Line)->setChecked(true);
}

int NumLinesDialog::SelectedLineCount() const
{
    return m_nLineType == 0 ? 64 : 40;
}
