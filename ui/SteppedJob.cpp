#include "ui/SteppedJob.h"

#include "core/Labels.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

SteppedJob::SteppedJob(QWidget* parent, const QString& label)
    : m_pParent(parent)
    , m_strLabel(label)
{
}

bool SteppedJob::Run(int units, const std::function<bool(int)>& unit)
{
    QProgressDialog progress(m_strLabel, QString::fromLatin1(Str::kCancel), 0, qMax(units, 1), m_pParent);
    progress.setWindowTitle(QString::fromLatin1(Str::kMainFrameTitle));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(kShowProgressAfterMs);
    progress.setAutoReset(false);
    progress.setAutoClose(false);

    int next = 0;
    bool failed = false;
    QEventLoop loop;
    QTimer slices;
    slices.setInterval(0);
    QObject::connect(&slices, &QTimer::timeout, &loop, [&] {
        QElapsedTimer slice;
        slice.start();
        while (next < units && !failed && slice.elapsed() < kSliceMs)
            failed = !unit(next++);
        progress.setValue(next);
        m_bCancelled = progress.wasCanceled();
        if (next >= units || failed || m_bCancelled) {
            slices.stop();
            loop.quit();
        }
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        m_bCancelled = true;
        slices.stop();
        loop.quit();
    });
    slices.start();
    loop.exec();
    return next >= units && !failed && !m_bCancelled;
}
