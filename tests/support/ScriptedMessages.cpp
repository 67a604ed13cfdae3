#include "tests/support/ScriptedMessages.h"

ScriptedMessages::ScriptedMessages()
{
    SetUserMessages(this);
}

ScriptedMessages::~ScriptedMessages()
{
    SetUserMessages(nullptr);
}

void ScriptedMessages::MessageBeep(Beep kind)
{
    beeps.append(kind);
}

int ScriptedMessages::MessageBox(const QString& text, Buttons buttons, Icon icon)
{
    texts.append(text);
    icons.append(icon);
    if (onBox)
        onBox();
    if (!answers.isEmpty())
        return answers.takeFirst();
    switch (buttons) {
    case Buttons::YesNo: return AnswerYes;
    case Buttons::RetryCancel: return AnswerRetry;
    default: return AnswerOk;
    }
}
