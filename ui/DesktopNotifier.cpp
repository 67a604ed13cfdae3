#include "ui/DesktopNotifier.h"

#include "core/Labels.h"
#include "core/Strings.h"
#include "ui/UiLogging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// A session bus that can be reached without starting one: libdbus would otherwise try to launch
// a bus for the display.
bool SessionBusKnown()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(QDir(runtime).filePath(QStringLiteral("bus"))).exists();
}

} // namespace

DesktopNotifier::DesktopNotifier(int intervalMs, QObject* parent)
    : QObject(parent)
    , m_intervalMs(intervalMs)
    , m_connectorTarget(std::make_shared<ConnectorTarget>())
{
    m_connectorTarget->notifier = this;
    for (int n = 0; n < kChannels; ++n) {
        Channel& channel = m_channels[size_t(n)];
        channel.due.setSingleShot(true);
        connect(&channel.due, &QTimer::timeout, this, [this, n] { SendDue(n); });
    }
}

DesktopNotifier::~DesktopNotifier()
{
    // A connection attempt still under way finds nobody to tell.
    QMutexLocker lock(&m_connectorTarget->lock);
    m_connectorTarget->notifier = nullptr;
}

void DesktopNotifier::Start()
{
    if (m_started)
        return;
    m_started = true;
    if (!SessionBusKnown()) {
        SetAvailable(false);
        return;
    }
    // Making the connection waits for the bus to answer: not on the windows' thread, and nothing
    // waits for that thread either.
    QThread* connector = QThread::create([target = m_connectorTarget] {
        const bool connected = QDBusConnection::sessionBus().isConnected();
        QMutexLocker lock(&target->lock);
        if (DesktopNotifier* notifier = target->notifier)
            QMetaObject::invokeMethod(notifier, [notifier, connected] { notifier->OnBusConnected(connected); },
                                      Qt::QueuedConnection);
    });
    connector->setObjectName(QStringLiteral("session bus"));
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connector->start();
}

void DesktopNotifier::OnBusConnected(bool connected)
{
    if (!connected) {
        qCInfo(lcUi) << "no session bus: desktop notifications off";
        SetAvailable(false);
        return;
    }
    const QDBusMessage question =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetServerInformation"));
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(question), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QString, QString, QString, QString> reply = *call;
        if (reply.isError())
            qCInfo(lcUi) << "no notification service:" << reply.error().message();
        else
            qCDebug(lcUi) << "notification service:" << reply.argumentAt<0>() << reply.argumentAt<2>();
        SetAvailable(!reply.isError());
    });
}

void DesktopNotifier::SetAvailable(bool available)
{
    m_state = available ? State::On : State::Off;
    for (int n = 0; n < kChannels; ++n) {
        if (available)
            SendDue(n);
        else
            m_channels[size_t(n)].pending = 0;
    }
    emit availabilityKnown(available);
}

void DesktopNotifier::Alert(int channel, const QString& channelName, const QString& line, int count, bool fault)
{
    if (channel < 1 || channel > kChannels || count <= 0 || m_state == State::Off)
        return;
    const int n = channel - 1;
    Channel& state = m_channels[size_t(n)];
    state.name = channelName;
    state.line = line;
    state.pending += count;
    state.fault = state.fault || fault;
    if (m_state == State::On)
        SendDue(n);
}

// Now, when the channel's interval has passed; else once it has.
void DesktopNotifier::SendDue(int n)
{
    Channel& state = m_channels[size_t(n)];
    if (state.pending == 0 || m_state != State::On)
        return;
    const qint64 since = state.lastSent.isValid() ? state.lastSent.elapsed() : m_intervalMs;
    if (since >= m_intervalMs) {
        state.due.stop();
        Send(n);
    } else if (!state.due.isActive()) {
        state.due.start(int(m_intervalMs - since));
    }
}

void DesktopNotifier::Send(int n)
{
    Channel& state = m_channels[size_t(n)];
    const QString body = state.pending == 1
                             ? state.line
                             : QString::fromLatin1(Str::kNotificationLines).arg(state.pending).arg(state.line);
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(state.fault ? kUrgencyCritical : kUrgencyNormal)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quorvel"));
    QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify << QString::fromLatin1(Str::kProductName) << state.shownId << QStringLiteral("quorvel") << state.name
           << body << QStringList() << hints << -1;
    state.pending = 0;
    state.fault = false;
    state.lastSent.start();
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, n](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<uint> reply = *call;
        if (reply.isError()) {
            // The service went away: notifications stay off for this run.
            qCInfo(lcUi) << "notification not shown:" << reply.error().message();
            if (reply.error().type() == QDBusError::ServiceUnknown)
                SetAvailable(false);
            return;
        }
        m_channels[size_t(n)].shownId = reply.value();
    });
}
