#pragma once
#include <QString>
#include <QWidget>

// One page of a property sheet. The sheet initialises a page when it is first shown and only
// then; a page never shown takes no part when the sheet is confirmed.
class CPropertyPage : public QWidget
{
    Q_OBJECT
public:
    explicit CPropertyPage(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return m_strCaption; }
    bool IsInitialised() const { return m_bInitialised; }
    // Called by the sheet as the page is shown for the first time.
    void Initialise();

    // The page is about to be left (another tab, or OK while it is the active page); false keeps
    // the page, after it has told the user why.
    virtual bool OnKillActive() { return true; }
    // The sheet was confirmed; called only on pages that were shown.
    virtual void OnOK() {}

signals:
    // The page is being shown for the first time, just before it fills its controls.
    void FirstShown();

protected:
    // Fills the controls from the settings or the members.
    virtual void OnInitDialog() {}

private:
    QString m_strCaption;
    bool m_bInitialised = false;
};
