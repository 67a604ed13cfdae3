#pragma once
#include <QDialog>

class QCheckBox;

// Which kinds of events enter the channels' lists from now on: the display flags "Call", "Fault"
// and "Normal" of section "Settings". Each box shows the flag in force, set when none is stored.
// OK stores the three boxes; the next record any document adds is tested against them. Lists
// are not rebuilt: what is listed stays. "System" is not offered and stays as stored.
class EventDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EventDialog(QWidget* parent = nullptr);

private:
    void OnOK();

    QCheckBox* m_pShowFault;
    QCheckBox* m_pShowNormal;
    QCheckBox* m_pShowCall;
};
