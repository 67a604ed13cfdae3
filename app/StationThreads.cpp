#include "app/StationThreads.h"

#include "core/ThreadCall.h"

#include <QCoreApplication>

namespace {

// Everything posted on this thread is handled, also what handling it posts in turn (a received
// block posts its frames, a frame its message).
void HandleAllPosted()
{
    for (int round = 0; round < 4; ++round)
        QCoreApplication::sendPostedEvents();
}

void TakeBack(QThread& thread, const std::vector<QObject*>& objects)
{
    if (!thread.isRunning())
        return;
    QThread* caller = QThread::currentThread();
    QObject context;
    context.moveToThread(&thread);
    CallOnThread(&context, [&] {
        HandleAllPosted();
        for (QObject* object : objects) {
            if (object && object->thread() == &thread)
                object->moveToThread(caller);
        }
        context.moveToThread(caller);
    });
    // A moved object's running timers are registered again by a call queued for it here.
    for (QObject* object : objects) {
        if (object)
            QCoreApplication::sendPostedEvents(object);
    }
}

} // namespace

StationThreads::StationThreads()
{
    m_comms.setObjectName(QStringLiteral("comms"));
    m_logging.setObjectName(QStringLiteral("logging"));
    m_comms.start(QThread::HighPriority);
    m_logging.start();
}

StationThreads::~StationThreads()
{
    Stop({}, {});
}

void StationThreads::Stop(const std::vector<QObject*>& commsObjects, const std::vector<QObject*>& loggingObjects)
{
    TakeBack(m_comms, commsObjects);
    TakeBack(m_logging, loggingObjects);
    for (QThread* thread : {&m_comms, &m_logging}) {
        thread->quit();
        thread->wait();
    }
}
