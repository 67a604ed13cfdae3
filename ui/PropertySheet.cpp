#include "ui/PropertySheet.h"

#include "ui/PropertyPage.h"

#include <QDialogButtonBox>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

PropertySheet::PropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent)
    , m_pTabs(new QTabBar)
    , m_pStack(new QStackedWidget)
    , m_pButtons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setWindowTitle(caption);
    m_pTabs->setDrawBase(false);
    m_pTabs->setExpanding(false);
    m_pStack->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_pTabs);
    layout->addWidget(m_pStack, 1);
    layout->addSpacing(10);
    layout->addWidget(m_pButtons);
    connect(m_pTabs, &QTabBar::currentChanged, this, &PropertySheet::OnTabChanged);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
}

void PropertySheet::AddPage(CPropertyPage* page)
{
    m_pages.append(page);
    m_pStack->addWidget(page);
    const QSignalBlocker blocker(m_pTabs);
    m_pTabs->addTab(page->Caption());
}

int PropertySheet::DoModal()
{
    if (!m_pages.isEmpty())
        SetActivePage(0);
    return exec();
}

void PropertySheet::OnTabChanged(int index)
{
    if (index == m_nActive)
        return;
    {
        // The tab shows the page left until that page lets go.
        const QSignalBlocker blocker(m_pTabs);
        m_pTabs->setCurrentIndex(m_nActive);
    }
    if (m_nActive >= 0 && !m_pages[m_nActive]->OnKillActive())
        return;
    SetActivePage(index);
}

void PropertySheet::SetActivePage(int index)
{
    m_nActive = index;
    {
        const QSignalBlocker blocker(m_pTabs);
        m_pTabs->setCurrentIndex(index);
    }
    CPropertyPage* page = m_pages[index];
    page->Initialise();
    m_pStack->setCurrentWidget(page);
}

void PropertySheet::accept()
{
    if (m_nActive >= 0 && !m_pages[m_nActive]->OnKillActive())
        return;
    for (CPropertyPage* page : std::as_const(m_pages)) {
        if (page->IsInitialised())
            page->OnOK();
    }
    QDialog::accept();
}
