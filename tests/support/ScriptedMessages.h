#pragma once
#include "core/UserMessages.h"

#include <QList>

#include <functional>
#include <QStringList>

// Stands for the person at the station: records every beep and box, answers boxes from a script
// (the first button when the script has run out). Installs itself for its lifetime.
class ScriptedMessages : public IUserMessages
{
public:
    ScriptedMessages();
    ~ScriptedMessages() override;

    void MessageBeep(Beep kind) override;
    int MessageBox(const QString& text, Buttons buttons, Icon icon) override;

    QStringList texts;          // every box, in order
    QList<Icon> icons;
    QList<Beep> beeps;
    QList<int> answers;         // taken from the front, one per box
    std::function<void()> onBox;  // runs inside a box, as a modal loop would dispatch messages
};
