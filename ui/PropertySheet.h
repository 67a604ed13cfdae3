#pragma once
#include <QDialog>
#include <QList>

class CPropertyPage;
class QDialogButtonBox;
class QStackedWidget;
class QTabBar;

// A modal dialog of pages behind tabs, with OK and Cancel. A page may refuse to be left: the tab
// then stays where it is. OK asks the active page first and then confirms every page shown.
class PropertySheet : public QDialog
{
    Q_OBJECT
public:
    explicit PropertySheet(const QString& caption, QWidget* parent = nullptr);

    // Pages are shown in the order added; the sheet does not own them.
    void AddPage(CPropertyPage* page);
    // Shows the first page and runs the sheet; QDialog::Accepted when confirmed with OK.
    int DoModal();

    void accept() override;

private:
    void OnTabChanged(int index);
    void SetActivePage(int index);

    QTabBar* m_tabs;
    QStackedWidget* m_stack;
    QDialogButtonBox* m_buttons;
    QList<CPropertyPage*> m_pages;
    int m_active = -1;
};
