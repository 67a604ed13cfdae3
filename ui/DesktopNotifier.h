#pragma once
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <memory>

// Desktop notifications (org.freedesktop.Notifications on the session bus) for fault and alarm
// lines in windows the operator is not looking at. At most one a channel in each interval: lines
// that come sooner are counted and told together once it has passed. Nothing here waits on D-Bus:
// the bus is connected on a thread of its own and every call is asynchronous. Off, silently, when
// there is no session bus or no notification service answers.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int kChannels = 16;
    static constexpr int kIntervalMs = 10000;
    static constexpr int kUrgencyNormal = 1;
    static constexpr int kUrgencyCritical = 2;

    explicit DesktopNotifier(int intervalMs = kIntervalMs, QObject* parent = nullptr);
    ~DesktopNotifier() override;

    // Looks for the service; what comes before the answer waits for it.
    void Start();
    bool IsAvailable() const { return m_state == State::On; }

    // `count` fault or alarm lines came in on a channel (1..16) whose window is not active; `line`
    // is the last of them.
    void Alert(int channel, const QString& channelName, const QString& line, int count, bool fault);

signals:
    // Whether a notification service answered the first question put to it.
    void availabilityKnown(bool available);

private:
    enum class State { Unknown, On, Off };
    struct Channel
    {
        QString name;
        QString line;
        int pending = 0;
        bool fault = false;
        uint shownId = 0;  // the notification this channel shows, replaced by the next one
        QElapsedTimer lastSent;
        QTimer due;
    };

    void OnBusConnected(bool connected);
    void SetAvailable(bool available);
    void SendDue(int channel);
    void Send(int channel);

    int m_intervalMs;
    State m_state = State::Unknown;
    bool m_started = false;
    std::array<Channel, kChannels> m_channels;
    // Whom the thread that connects the bus tells, while there is someone.
    struct ConnectorTarget
    {
        QMutex lock;
        DesktopNotifier* notifier = nullptr;
    };
    std::shared_ptr<ConnectorTarget> m_connectorTarget;
};
