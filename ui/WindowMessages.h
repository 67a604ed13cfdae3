#pragma once
#include "core/UserMessages.h"

#include <QList>
#include <QObject>
#include <QString>

// The user messages of the windowed program: the system beep and modal message boxes. A modal
// box runs a nested event loop in which more messages can arrive (a full disk at every message,
// a monitor line gone), so boxes are never stacked without bound: a message whose text is in a
// box already open is not shown again but counted and answered as that box's default, and beyond
// kMaxOpenBoxes nested boxes further texts wait and are shown once the open ones are closed.
class WindowMessages : public QObject, public IUserMessages
{
    Q_OBJECT
public:
    static constexpr int kMaxOpenBoxes = 3;

    void MessageBeep(Beep kind) override;
    int MessageBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None) override;

    int OpenBoxes() const { return int(m_open.size()); }
    int WaitingBoxes() const { return int(m_waiting.size()); }
    int NotShownCount() const { return m_notShown; }   // repeats of a text already open

private:
    struct Box
    {
        QString text;
        Buttons buttons;
        Icon icon;
    };

    int Show(const Box& box);
    void ShowWaiting();

    QList<Box> m_open;      // innermost last
    QList<Box> m_waiting;
    int m_notShown = 0;
};
