#include "app/StartupNotices.h"

StartupNotices::StartupNotices()
    : m_messages(&UserMessages())
{
    SetUserMessages(this);
}

StartupNotices::~StartupNotices()
{
    Show();
}

void StartupNotices::MessageBeep(Beep kind)
{
    m_notices.append({false, kind, QString(), Icon::None});
}

int StartupNotices::MessageBox(const QString& text, Buttons buttons, Icon icon)
{
    if (buttons != Buttons::Ok)
        return m_messages->MessageBox(text, buttons, icon);
    m_notices.append({true, Beep::Hand, text, icon});
    return AnswerOk;
}

void StartupNotices::ReportError(const QString& text, Icon icon)
{
    m_notices.append({true, Beep::Hand, text, icon, true});
}

void StartupNotices::Show()
{
    if (!m_holding)
        return;
    m_holding = false;
    SetUserMessages(m_messages);
    // Taken first: a box runs the event loop, and whatever happens meanwhile goes straight through.
    const QList<Notice> notices = std::exchange(m_notices, {});
    for (const Notice& notice : notices) {
        if (notice.isError)
            m_messages->ReportError(notice.text, notice.icon);
        else if (notice.isBox)
            m_messages->MessageBox(notice.text, Buttons::Ok, notice.icon);
        else
            m_messages->MessageBeep(notice.beep);
    }
}
