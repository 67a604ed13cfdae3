#pragma once
#include "ui/PropertyPage.h"

#include <functional>

class QLineEdit;

// The Channel Name page: the name of one channel, checked as the page is left. A refused name
// keeps the page (and the sheet) open with the focus back in the edit box.
class CChannelDialog : public CPropertyPage
{
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 64;

    // storedName(index) gives the name stored for channel index + 1.
    CChannelDialog(int channel, std::function<QString(int index)> storedName, QWidget* parent = nullptr);

    bool OnKillActive() override;

    QString m_strName;

protected:
    void OnInitDialog() override;

private:
    bool Refuse(const QString& text, bool beep);
    bool CheckDuplicateNames();

    int m_nChannel;
    std::function<QString(int index)> m_pfnStoredName;
    QLineEdit* m_pEdit;
};
