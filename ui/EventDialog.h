#pragma once
#include "core/EventViewFlags.h"

#include <QDialog>

class QCheckBox;

// Which kinds of events enter the channels' lists from now on: Fault Conditions, Warnings and
// Call Events, one box each, showing the flags it is given. Flags() answers the boxes as they
// stand; the caller stores them when the dialog is accepted.
class EventDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EventDialog(const EventViewFlags& flags, QWidget* parent = nullptr);

    EventViewFlags Flags() const;

private:
    QCheckBox* m_pShowFault;
    QCheckBox* m_pShowNormal;
    QCheckBox* m_pShowCall;
};
