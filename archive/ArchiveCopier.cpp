#include "archive/ArchiveCopier.h"

#include "archive/VerifiedCopy.h"

#include <QThread>

ArchiveCopier::ArchiveCopier(QObject* parent)
    : QObject(parent)
{
}

ArchiveCopier::~ArchiveCopier()
{
    if (!m_pThread)
        return;
    m_bCancel = true;
    m_pThread->wait();
    delete m_pThread;
}

void ArchiveCopier::Start(const QString& source, const QString& destination)
{
    Q_ASSERT(!m_pThread);
    m_bCancel = false;
    m_pThread = QThread::create([this, source, destination] {
        const int error = VerifiedCopy::Copy(source, destination, [this](qint64 copied, qint64 total) {
            emit progress(copied, total);
            return !m_bCancel;
        });
        // Queued to this object's thread; dropped if this object is gone by then.
        QMetaObject::invokeMethod(this, [this, error] { OnThreadDone(error); }, Qt::QueuedConnection);
    });
    m_pThread->start();
}

void ArchiveCopier::Cancel()
{
    m_bCancel = true;
}

void ArchiveCopier::OnThreadDone(int error)
{
    m_pThread->wait();
    delete m_pThread;
    m_pThread = nullptr;
    emit finished(error);
}
