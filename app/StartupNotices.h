#pragma once
#include "core/UserMessages.h"

#include <QList>

// Holds back what start-up has to tell the person at the station until every channel is open and
// logging: a box waits for someone to answer it, and a station restarted after a power cut has
// nobody at the keyboard. While it exists it stands in for the user messages and keeps each beep
// and box in order; Show() puts the messages back and shows them, beeps included, as they came.
// A box that asks a question cannot be held back and is passed on at once.
class StartupNotices : public IUserMessages
{
public:
    StartupNotices();
    ~StartupNotices() override;

    void MessageBeep(Beep kind) override;
    int MessageBox(const QString& text, Buttons buttons, Icon icon) override;
    void ReportError(const QString& text, Icon icon) override;

    void Show();

private:
    struct Notice
    {
        bool isBox;
        Beep beep;
        QString text;
        Icon icon;
        bool isError = false;
    };

    IUserMessages* m_messages;  // the ones shown to the person
    QList<Notice> m_notices;
    bool m_holding = true;
};
