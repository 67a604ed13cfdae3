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
    // A box telling of a fault (a record lost, a disk error, settings refused): shown like any
    // box, while a log that ranks its lines files it as an error.
    virtual void ReportError(const QString& text, Icon icon = Icon::None) { MessageBox(text, Buttons::Ok, icon); }
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
// Installs messages (not owned); nullptr restores the console instance. The windowed program
// installs its dialogs, boxes included, with SetUserDialogs, which comes here for the boxes.
void SetUserMessages(IUserMessages* messages);

// Shows the operating system's text for an errno value in a box with the given icon.
void ReportSystemError(int errorCode, IUserMessages::Icon icon);

// Writes each box as one line on standard error and answers with the first button. On the journal
// each line carries its priority: an error for ReportError, a stop icon or a preceding error beep;
// a warning for an exclamation icon or beep; a notice otherwise.
class ConsoleMessages : public IUserMessages
{
public:
    void MessageBeep(Beep kind) override;
    int MessageBox(const QString& text, Buttons buttons, Icon icon) override;
    void ReportError(const QString& text, Icon icon) override;

private:
    void WriteLine(const QString& text, int priority);

    Beep m_lastBeep = Beep::Asterisk;  // the beep just before a box goes with it
    bool m_beeped = false;
};
