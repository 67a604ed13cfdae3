#include "ui/PropertySheet.h"

#include "ui/PropertyPage.h"

#include <QDialogButtonBox>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

PropertySheet::PropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent)
    , m_tabs(new QTabBar)
    , m_stack(new QStackedWidget)
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setWindowTitle(caption);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_stack->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
    layout->addSpacing(10);
    layout->addWidget(m_buttons);
    connect(m_tabs, &QTabBar::currentChanged, this, &PropertySheet::OnTabChanged);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
}

void PropertySheet::AddPage(CPropertyPage* page)
{
    m_pages.append(page);
    m_stack->addWidget(page);
    const QSignalBlocker blocker(m_tabs);
    m_tabs->addTab(page->Caption());
}

int PropertySheet::DoModal()
{
    if (!m_pages.isEmpty())
        SetActivePage(0);
    return exec();
}

void PropertySheet::OnTabChanged(int index)
{
    if (index == m_active)
        return;
    {
        // The tab shows the page left until that page lets go.
        const QSignalBlocker blocker(m_tabs);
        m_tabs->setCurrentIndex(m_active);
    }
    if (m_active >= 0 && !m_pages[m_active]->OnKillActive())
        return;
    SetActivePage(index);
}

void PropertySheet::SetActivePage(int index)
{
    m_active = index;
    {
        const QSignalBlocker blocker(m_tabs);
        m_tabs->setCurrentIndex(index);
    }
    CPropertyPage* page = m_pages[index];
    page->Initialise();
    m_stack->setCurrentWidget(page);
}

void PropertySheet::accept()
{
    if (m_active >= 0 && !m_pages[m_active]->OnKillActive())
        return;
    for (CPropertyPage* page : std::as_const(m_pages)) {
        if (page->IsInitialised())
            page->OnOK();
    }
    QDialog::accept();
}
