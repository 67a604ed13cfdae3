#include "ui/PropertyPage.h"

CPropertyPage::CPropertyPage(const QString& caption, QWidget* parent)
    : QWidget(parent)
    , m_strCaption(caption)
{
}

void CPropertyPage::Initialise()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    emit FirstShown();
    OnInitDialog();
}
