#pragma once
#include "ui/PropertyPage.h"

class QRadioButton;

// The Line Count page: whether the remote system of the channel has 64 or 40 lines. Shown for the
// first time on a channel with no count stored, it stores 64 at once.
class NumLinesDialog : public CPropertyPage
{
    Q_OBJECT
public:
    explicit NumLinesDialog(int channel, QWidget* parent = nullptr);

    // The count the selection stands for: 64 or 40.
    int SelectedLineCount() const;

    int m_nLineType = -1;  // 0: "64 Line", 1: "40 Line", -1: the page has not been shown
    int m_nChannel;

protected:
    void OnInitDialog() override;

private:
    QRadioButton* m_p64Line;
    QRadioButton* m_p40Line;
};
