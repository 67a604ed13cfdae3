#pragma once
#include <QList>
#include <QWidget>

class QComboBox;
class QFormLayout;

// Positions in the five lists of a serial line's settings; a position is the index stored for that
// setting, -1 a list without a selection.
struct SerialListPositions
{
    int baud = -1;
    int dataBits = -1;
    int parity = -1;
    int stopBits = -1;
    int flowControl = -1;  // None, Hardware, Xon / Xoff
};

// The labelled lists of a serial line's settings, as the COM page and the remote monitoring dialog
// show them: baud rate, data bits, parity, stop bits, flow control. Parity, stop bits and flow
// control are filled from the start; the rates and data bits by FillNumbers(). A position outside
// its list selects nothing, so a stored value beyond a table is never taken as an index.
class SerialSettingLists : public QWidget
{
    Q_OBJECT
public:
    explicit SerialSettingLists(QWidget* parent = nullptr);

    // Fills the baud rate and data bits lists, once.
    void FillNumbers();
    void Select(const SerialListPositions& positions);
    SerialListPositions Chosen() const;
    void SetListsEnabled(bool enabled);
    // The form of the lists, for rows a dialog shows with them.
    QFormLayout* Form() const { return m_pForm; }

private:
    QList<QComboBox*> Lists() const;

    QFormLayout* m_pForm;
    QComboBox* m_pBaud;
    QComboBox* m_pDataBits;
    QComboBox* m_pParity;
    QComboBox* m_pStopBits;
    QComboBox* m_pFlowControl;
};

// A list as wide as the longest entry of the five ("Xon / Xoff"), filled or not, so a dialog keeps
// its shape; nothing selected.
QComboBox* NewSettingList();
