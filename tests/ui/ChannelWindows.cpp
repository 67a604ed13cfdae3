#include "tests/ui/ChannelWindows.h"

#include "app/ChannelTables.h"
#include "archive/QuorvelDoc.h"
#include "events/DisplayObj.h"
#include "tests/events/AlarmFixture.h"
#include "ui/ChildFrm.h"
#include "ui/MainFrm.h"
#include "ui/QuorvelView.h"

#include <QTest>

const QByteArray kRedFault("\x01\x01\x00", 3);
const QByteArray kGreenFault("\x00\x01\x00", 3);
const QByteArray kBlueAlarm("\x01\x02\x00", 3);
const QByteArray kBlackEvent("\x01\x03\x00", 3);
const QByteArray kGreyClear("\x84\x00" "Door 4", 8);

ChannelWindows::ChannelWindows(int channels)
    : m_documents(size_t(channels))
    , m_windows(size_t(channels))
{
    LoadChannelNames();
    const bool loaded = LoadAlarmFixture({{1, {"FAULT", "N", "0", "", "Mains failure"}},
                                          {2, {"ALARM", "N", "0", "", "Fire alarm"}},
                                          {3, {"EVENT", "N", "0", "", "Mains restored"}}});
    Q_ASSERT(loaded);
    Q_UNUSED(loaded);
    m_frame = std::make_unique<CMainFrame>(GetChannelName);
    m_frame->resize(1200, 800);
    m_frame->show();
    for (int n = channels; n >= 1; --n) {
        QString name;
        GetChannelName(n - 1, name);
        m_documents[size_t(n - 1)] = std::make_unique<CQuorvelDoc>(name);
        m_windows[size_t(n - 1)] = m_frame->CreateChannelWindow(m_documents[size_t(n - 1)].get());
        SetConnected(n, true);
    }
    m_frame->MDITile(Qt::Horizontal);
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

ChannelWindows::~ChannelWindows()
{
    m_frame.reset();
}

CQuorvelDoc& ChannelWindows::Doc(int channel)
{
    return *m_documents[size_t(channel - 1)];
}

CChildFrame* ChannelWindows::Window(int channel)
{
    return m_windows[size_t(channel - 1)];
}

CQuorvelView* ChannelWindows::View(int channel)
{
    return Window(channel)->View();
}

void ChannelWindows::Add(int channel, const QByteArray& message)
{
    Doc(channel).AddEvent(message.size() == 3
        ? new CDisplayObj(quint8(message[0]), quint8(message[1]), quint8(message[2]), channel)
        : new CDisplayObj(message.constData(), int(message.size()), channel));
}

void ChannelWindows::SetConnected(int channel, bool connected)
{
    Doc(channel).SetConnection(connected, channel);
    View(channel)->ShowConnection(channel + 2, connected);
}
