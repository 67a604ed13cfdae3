#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the user-interface thread, so the station shuts
// down in its proper order (ports closed, archives flushed) instead of dying mid-write.
class SignalWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void StopRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
