#include "archive/QuorvelDoc.h"

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveSeals.h"
#include "archive/IDocView.h"
#include "core/Clock.h"
#include "core/Logging.h"
#include "core/SettingsStore.h"
#include "events/DisplayObj.h"

#include <QAbstractEventDispatcher>
#include <QSemaphore>

#include <utility>

QSemaphore* CQuorvelDoc::s_pEventLock = nullptr;

CQuorvelDoc::CQuorvelDoc(QObject* parent)
    : CQuorvelDoc(QString(), parent)
{
}

CQuorvelDoc::CQuorvelDoc(const QString& title, QObject* parent)
    : QObject(parent)
    , m_events(std::make_shared<EventList>())
    , m_strTitle(title)
    , m_day([this] { return GetTitle(); }, [this] { return GetChannel(); })
{
}

CQuorvelDoc::~CQuorvelDoc()
{
    m_day.Close();
}

QString CQuorvelDoc::GetTitle() const
{
    const QMutexLocker lock(&m_sharedLock);
    return m_strTitle;
}

void CQuorvelDoc::SetTitle(const QString& title)
{
    const QMutexLocker lock(&m_sharedLock);
    m_strTitle = title;
}

QString CQuorvelDoc::GetArchivePath() const
{
    const QMutexLocker lock(&m_sharedLock);
    return m_strArchivePath;
}

void CQuorvelDoc::SetArchivePath(const QString& path)
{
    const QMutexLocker lock(&m_sharedLock);
    m_strArchivePath = path;
}

std::shared_ptr<const EventList> CQuorvelDoc::Events() const
{
    const QMutexLocker lock(&m_sharedLock);
    return m_events;
}

void CQuorvelDoc::ReplaceEvents(std::shared_ptr<EventList> events)
{
    std::shared_ptr<EventList> old;
    {
        const QMutexLocker lock(&m_sharedLock);
        old = std::exchange(m_events, std::move(events));
    }
    // The old records go here, outside the lock, unless a reader still holds them.
}

void CQuorvelDoc::SetEventLock(QSemaphore* lock)
{
    s_pEventLock = lock;
}

void CQuorvelDoc::SetConnection(int connected, int channel)
{
    m_bConnected = connected;
    m_nChannel = channel;
}

bool CQuorvelDoc::AddEvent(CDisplayObj* pRecord)
{
    const std::unique_ptr<CDisplayObj> record(pRecord);
    return ListEvent(*record);
}

bool CQuorvelDoc::ListEvent(const CDisplayObj& record)
{
    if (s_pEventLock && !s_pEventLock->tryAcquire(1, 10)) {
        qCDebug(lcArchive) << "event lock busy; record not listed";
        return false;
    }
    int call = 0, fault = 0, normal = 0, system = 0;
    ReadEventViewSettings(call, fault, normal, system);
    const bool listed = record.PassesFilter(call, fault, normal, system);
    if (listed) {
        m_events->Append(record);
        if (m_pView) {
            m_pView->ScrollBy(0, 1);
            m_pView->UpdateAllViews();
        }
    }
    if (s_pEventLock)
        s_pEventLock->release();
    return listed;
}

void CQuorvelDoc::ClearEvents()
{
    ReplaceEvents(std::make_shared<EventList>());
    if (m_pView) {
        m_pView->ResetDisplay();
        m_pView->UpdateScrollRange();
    }
}

template <typename Build>
int CQuorvelDoc::Record(const Build& build)
{
    if (m_bReloadDue)
        ReloadToday();
    const QString key = TodayKey();
    if (!m_day.IsOpenFor(key) && !SwitchDay(key, Clock::Now()))
        return 0;

    // On the stack: a record costs no allocation.
    const CDisplayObj record = build();
    if (!m_day.Store(record))
        return 0;
    Health().Count(Health().records);
    const bool fault = record.IsFault();
    const bool alert = fault || record.GetKind() == CDisplayObj::KIND_ALARM;
    if (ListEvent(record) && alert) {
        // Counted after the record is listed, so a window that sees the count finds the line.
        if (fault)
            m_nLiveFaults.fetch_add(1, std::memory_order_relaxed);
        m_nLiveAlerts.fetch_add(1, std::memory_order_release);
    }
    return 1;
}

int CQuorvelDoc::HandleMessage(const char* data, int length)
{
    const int recorded = Record([&] {
        if (length == 3)
            return CDisplayObj(quint8(data[0]), quint8(data[1]), quint8(data[2]), m_nChannel);
        return CDisplayObj(data, length, m_nChannel);
    });
    if (!recorded)
        Health().Count(Health().recordsLost);
    return recorded;
}

int CQuorvelDoc::RecordSystemEvent(const QByteArray& message)
{
    return Record([&] { return CDisplayObj::SystemEvent(message, m_nChannel); });
}

ChannelHealth& CQuorvelDoc::Health() const
{
    return StationHealth::Channel(m_nChannel);
}

bool CQuorvelDoc::SwitchDay(const QString& key, const QDateTime& now)
{
    if (m_day.IsOpen()) {
        const QString closed = m_day.Path();
        m_day.Close();
        ClearEvents();
        ArchiveSeals::DayClosed(closed, key);
    }
    SetArchivePath(m_day.PathFor(key));
    if (!m_day.Open(key, now))
        return false;
    // Records wait in the buffer only while messages keep coming: a crash must not take the
    // last ones with it.
    if (!m_idleFlush) {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
            m_idleFlush = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CQuorvelDoc::FlushArchive);
    }
    return true;
}

void CQuorvelDoc::FlushArchive()
{
    m_day.Flush();
}
