#include "core/UserMessages.h"

#include "core/JournalStream.h"
#include "core/Logging.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <deque>
#include <unistd.h>

namespace {
ConsoleMessages g_console;
IUserMessages* g_messages = nullptr;

// What the logging threads have for the person at the station, waiting for the user-interface
// thread. A box already waiting with the same text is not queued twice: a disk that fails for every
// message would otherwise pile up a box per message.
class PostedMessages : public IUserMessages
{
public:
    void MessageBeep(Beep kind) override
    {
        Post({false, kind, QString(), Buttons::Ok, Icon::None});
    }

    int MessageBox(const QString& text, Buttons buttons, Icon icon) override
    {
        Post({true, Beep::Hand, text, buttons, icon});
        return DefaultAnswer(buttons);
    }

    void ReportError(const QString& text, Icon icon) override
    {
        Post({true, Beep::Hand, text, Buttons::Ok, icon, true});
    }

    void Deliver()
    {
        // A box runs the event loop, which may come back here: the outer call goes on with the rest.
        if (m_delivering)
            return;
        m_delivering = true;
        for (;;) {
            Message next;
            {
                const QMutexLocker lock(&m_lock);
                if (m_waiting.empty())
                    break;
                next = m_waiting.front();
                m_waiting.pop_front();
            }
            IUserMessages& shown = g_messages ? *g_messages : g_console;
            if (next.isError)
                shown.ReportError(next.text, next.icon);
            else if (next.isBox)
                shown.MessageBox(next.text, next.buttons, next.icon);
            else
                shown.MessageBeep(next.beep);
        }
        m_delivering = false;
    }

private:
    struct Message
    {
        bool isBox = false;
        Beep beep = Beep::Hand;
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        bool isError = false;
    };

    void Post(Message message)
    {
        bool wake = false;
        {
            const QMutexLocker lock(&m_lock);
            if (message.isBox) {
                for (const Message& waiting : m_waiting) {
                    if (waiting.isBox && waiting.text == message.text) {
                        qCDebug(lcApp) << "box waiting already:" << message.text;
                        return;
                    }
                }
            }
            wake = m_waiting.empty();
            m_waiting.push_back(std::move(message));
        }
        if (wake && QCoreApplication::instance())
            QMetaObject::invokeMethod(QCoreApplication::instance(), [] { DeliverPostedMessages(); },
                                      Qt::QueuedConnection);
    }

    QMutex m_lock;
    std::deque<Message> m_waiting;
    bool m_delivering = false;  // user-interface thread only
};

PostedMessages g_posted;

bool OffUserInterfaceThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() != app->thread();
}

} // namespace

IUserMessages& UserMessages()
{
    if (OffUserInterfaceThread())
        return g_posted;
    return g_messages ? *g_messages : g_console;
}

void DeliverPostedMessages()
{
    if (!OffUserInterfaceThread())
        g_posted.Deliver();
}

void SetUserMessages(IUserMessages* messages)
{
    g_messages = messages;
}

void ReportSystemError(int errorCode, IUserMessages::Icon icon)
{
    UserMessages().MessageBox(QString::fromLocal8Bit(std::strerror(errorCode)), IUserMessages::Buttons::Ok, icon);
}

void ConsoleMessages::MessageBeep(Beep kind)
{
    qCDebug(lcApp) << "beep" << int(kind);
    m_lastBeep = kind;
    m_beeped = true;
}

int ConsoleMessages::MessageBox(const QString& text, Buttons buttons, Icon icon)
{
    JournalStream::Priority priority = JournalStream::Notice;
    if (icon == Icon::Stop || (m_beeped && m_lastBeep == Beep::Hand))
        priority = JournalStream::Error;
    else if (icon == Icon::Exclamation || (m_beeped && m_lastBeep == Beep::Exclamation))
        priority = JournalStream::Warning;
    WriteLine(text, priority);
    return DefaultAnswer(buttons);
}

void ConsoleMessages::ReportError(const QString& text, Icon)
{
    WriteLine(text, JournalStream::Error);
}

void ConsoleMessages::WriteLine(const QString& text, int priority)
{
    m_beeped = false;
    // One line per box, whatever line ends the text holds.
    const QByteArray line = JournalStream::Prefix(STDERR_FILENO, JournalStream::Priority(priority))
        + text.simplified().toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

int IUserMessages::DefaultAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo: return AnswerYes;
    case Buttons::RetryCancel: return AnswerRetry;
    case Buttons::Ok:
    case Buttons::OkCancel: break;
    }
    return AnswerOk;
}
