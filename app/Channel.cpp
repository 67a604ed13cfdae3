#include "app/Channel.h"

#include "app/ChannelTables.h"
#include "app/ChannelViews.h"
#include "app/MessageInterpreter.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Logging.h"
#include "core/StationHealth.h"
#include "core/Strings.h"
#include "core/ThreadCall.h"

#include <QThread>

#include <utility>

Channel::Channel(int number, int port, IChannelViews& views)
    : m_number(number)
    , m_port(port)
    , m_views(views)
{
    m_document = std::make_unique<CQuorvelDoc>(Name());
    // Both before the line opens: its first message may reach the logging thread at once.
    m_document->SetConnection(0, m_number);
    m_document->SetReloadDue();
    m_views.CreateView(m_number, *m_document);
    m_interpreter = std::make_unique<CMessageInterpreter>(3, 3, 3, m_document.get());
    m_document->SetInterpreter(m_interpreter.get());
    // Direct: the loss is handled on the comms thread, where the port reports it.
    connect(m_interpreter.get(), &CSerialComms::PortLost, m_interpreter.get(), [this] { OnPortLost(); },
            Qt::DirectConnection);
    m_interpreter->SetHealth(&StationHealth::Channel(m_number));
    StationHealth::Channel(m_number).assigned = m_port > 0;
    SetChannel(m_number, this);
}

Channel::~Channel()
{
    SetChannel(m_number, nullptr);
    m_interpreter.reset();
    m_document.reset();
}

QString Channel::Name() const
{
    QString name;
    GetChannelName(m_number - 1, name);
    return name;
}

void Channel::MoveToThreads(QThread* comms, QThread* logging)
{
    m_document->moveToThread(logging);
    m_interpreter->moveToThread(comms);
}

bool Channel::Open()
{
    const bool open = CallOnThread(m_interpreter.get(), [this] { return OpenLine(); });
    m_document->SetConnection(m_interpreter->IsConnected(), m_number);
    if (!open)
        m_views.ShowConnection(m_number, m_port, false);
    return open;
}

void Channel::Retry(const std::function<PortSettingsRecord(int port)>& storedRecord)
{
    if (m_port <= 0 || m_interpreter->IsConnected())
        return;
    if (m_refusedRecord && storedRecord(m_port) == *m_refusedRecord)
        return;
    const bool open = OpenLine();
    PostConnection(m_interpreter->IsConnected() != 0, open);
    if (open && std::exchange(m_lost, false))
        PostSystemEvent(Str::kPortConnectedAgain);
}

bool Channel::OpenLine()
{
    const bool open = m_interpreter->OpenPort(m_port) != 0;
    m_refusedRecord.reset();
    if (m_interpreter->LastOpenFailure() == CSerialComms::OpenFailure::Settings)
        m_refusedRecord = LoadPortSettings(m_port);
    ChannelHealth& health = StationHealth::Channel(m_number);
    if (m_interpreter->IsConnected())
        health.upSinceMs = Clock::NowMsecs();
    health.up = m_interpreter->IsConnected() != 0;
    if (!open)
        qCInfo(lcApp) << "channel" << m_number << "not connected, COM" << m_port;
    return open;
}

void Channel::OnPortLost()
{
    StationHealth::Channel(m_number).up = false;
    m_lost = true;
    // The archive explains its own gap, after the messages the line delivered before it went:
    // those still wait on this thread to be handed on.
    QMetaObject::invokeMethod(
        m_interpreter.get(), [this] { PostSystemEvent(Str::kPortNotConnected); }, Qt::QueuedConnection);
    PostConnection(false, true);
}

void Channel::PostConnection(bool connected, bool show)
{
    QMetaObject::invokeMethod(
        this,
        [this, connected, show] {
            m_document->SetConnection(connected, m_number);
            if (show)
                m_views.ShowConnection(m_number, m_port, connected);
        },
        Qt::QueuedConnection);
}

void Channel::PostSystemEvent(const char* text)
{
    // Behind the messages the line delivered before, so the archive tells them in their order.
    m_interpreter->PostSystemEvent(QString::fromLatin1(text).arg(m_port).toLatin1());
}
