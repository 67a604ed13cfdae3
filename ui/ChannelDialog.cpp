#include "ui/ChannelDialog.h"

#include "core/Labels.h"
#include "core/Strings.h"
#include "core/UserMessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CChannelDialog::CChannelDialog(int channel, std::function<QString(int index)> storedName, QWidget* parent)
    : CPropertyPage(QString::fromLatin1(Str::kChannelNamePage), parent)
    , m_nChannel(channel)
    , m_pfnStoredName(std::move(storedName))
    , m_pEdit(new QLineEdit)
{
    auto* label = new QLabel(QString::fromLatin1(Str::kChannelNameLabel));
    label->setBuddy(m_pEdit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(label);
    layout->addWidget(m_pEdit);
    layout->addStretch(1);
}

void CChannelDialog::OnInitDialog()
{
    // A stored name longer than the page takes is shown whole, and refused until it is shortened.
    m_pEdit->setMaxLength(qMax(kMaxNameLength, int(m_strName.size())));
    m_pEdit->setText(m_strName);
    m_pEdit->selectAll();
    m_pEdit->setFocus();
}

bool CChannelDialog::OnKillActive()
{
    m_strName = m_pEdit->text();
    if (m_strName.size() > kMaxNameLength)
        return Refuse(QString::fromLatin1(Str::kEnterNoMoreThan).arg(kMaxNameLength), false);
    for (QChar c : m_strName) {
        if (QLatin1String(Str::kForbiddenNameChars).contains(c))
            return Refuse(QString::fromLatin1(Str::kNameHasForbiddenChars), true);
    }
    return CheckDuplicateNames();
}

bool CChannelDialog::Refuse(const QString& text, bool beep)
{
    if (beep)
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
    UserMessages().MessageBox(text, IUserMessages::Buttons::Ok,
                              beep ? IUserMessages::Icon::Information : IUserMessages::Icon::Exclamation);
    m_pEdit->setFocus();
    m_pEdit->selectAll();
    return false;
}

bool CChannelDialog::CheckDuplicateNames()
{
    // The name typed here stands in for this channel's stored one: a name another channel has is
    // caught as it is entered, and two other channels' names are not this page's concern. A
    // cleared name is the channel's default, so that is what is compared.
    QString typed = m_strName;
    if (typed.trimmed().isEmpty())
        typed = QString::fromLatin1(Str::kDefaultChannelName).arg(m_nChannel);
    // Nor do blanks before or after it make a name another one.
    const QString upper = typed.trimmed().toUpper();
    for (int index = 0; index < 16; ++index) {
        if (index + 1 != m_nChannel && m_pfnStoredName(index).trimmed().toUpper() == upper)
            return Refuse(QString::fromLatin1(Str::kNameDuplicated).arg(upper), true);
    }
    return true;
}
