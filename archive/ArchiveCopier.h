#pragma once
#include <QObject>
#include <QString>

#include <atomic>

class QThread;

// Copies one file at a time on a thread of its own (VerifiedCopy), so that the event loop of the
// thread that asked, where the channels acknowledge and archive, keeps running through a copy to a
// slow medium. Reports back on the asking thread.
class ArchiveCopier : public QObject
{
    Q_OBJECT
public:
    explicit ArchiveCopier(QObject* parent = nullptr);
    ~ArchiveCopier() override;  // stops a copy under way and waits for its thread

    // Starts copying; not while a copy is under way.
    void Start(const QString& source, const QString& destination);
    // Asks the copy under way to stop; it finishes with ECANCELED unless it was done already.
    void Cancel();
    bool IsBusy() const { return m_pThread != nullptr; }

signals:
    void progress(qint64 copied, qint64 total);
    // 0 when the copy is in place and read back, else the errno of the failure, or
    // VerifiedCopy::kCopyDiffers when it did not read back as the archive (and was removed).
    void finished(int error);

private:
    void OnThreadDone(int error);

    QThread* m_pThread = nullptr;
    std::atomic_bool m_bCancel{false};
};
