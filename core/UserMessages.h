#pragma once
#include <QString>

// How the program speaks to the person at the station: a beep of a kind and a message box.
// The windowed program shows real boxes, the headless one writes a line to standard error,
// tests install a scripted fake that records every text and answers as told.
class IUserMessages
{
public:
    enum class Beep { Hand, Exclamation, Question, Asterisk };
    enum class Icon { None, Stop, Exclamation, Question, Information };
    enum class Buttons { Ok, OkCancel, YesNo, RetryCancel };
    enum Answer { AnswerOk = 1, AnswerCancel = 2, AnswerRetry = 4, AnswerYes = 6, AnswerNo = 7 };

    virtual ~IUserMessages() = default;
    virtual void MessageBeep(Beep kind) = 0;
    // Returns the button pressed (an Answer).
    virtual int MessageBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    // The answer of a box's first button, its default.
    static int DefaultAnswer(Buttons buttons);
};

// The program-wide instance; a console one until the application installs another. Called on any
// other thread than the user-interface thread, it answers with a stand-in that hands each beep and
// box to the user-interface thread and answers at once with the box's default: the logging threads
// never wait for a person.
IUserMessages& UserMessages();
// On the user-interface thread: shows what other threads handed over, in the order they did.
void DeliverPostedMessages();
// Installs messages (not owned); nullptr restores the console instance.
void SetUserMessages(IUserMessages* messages);

// Shows the operating system's text for an errno value in a box with the given icon.
void ReportSystemError(int errorCode, IUserMessages::Icon icon);

// Writes each box as one line on standard error and answers with the first button.
class ConsoleMessages : public IUserMessages
{
public:
    void MessageBeep(Beep kind) override;
    int MessageBox(const QString& text, Buttons buttons, Icon icon) override;
};
