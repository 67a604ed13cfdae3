#pragma once
#include "ui/PropertyPage.h"

class QRadioButton;

// The Line Count page: whether the remote system of the channel has 64 or 40 lines. It shows
// "64 Line" for a count of 64 and "40 Line" for any other.
class NumLinesDialog : public CPropertyPage
{
    Q_OBJECT
public:
    // lineCount: the count to show when the page is first shown.
    NumLinesDialog(int channel, int lineCount, QWidget* parent = nullptr);

    // The count the selection stands for: 64 or 40.
    int SelectedLineCount() const;

    int m_nLineType = -1;  // 0: "64 Line", 1: "40 Line", -1: the page has not been shown
    int m_nChannel;

protected:
    void OnInitDialog() override;

private:
    int m_nLineCount;
    QRadioButton* m_p64Line;
    QRadioButton* m_p40Line;
};
