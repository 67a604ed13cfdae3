#include "archive/QuorvelDoc.h"

#include "archive/ArchiveFormat.h"
#include "archive/IDocView.h"
#include "core/Logging.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "events/DisplayObj.h"
#include "events/StoringArchive.h"

#include <QSemaphore>

#include <utility>

QSemaphore* CQuorvelDoc::s_pEventLock = nullptr;

CQuorvelDoc::CQuorvelDoc(QObject* parent)
    : QObject(parent)
    , m_events(std::make_shared<CEventList>())
{
}

CQuorvelDoc::CQuorvelDoc(const QString& title, QObject* parent)
    : QObject(parent)
    , m_events(std::make_shared<CEventList>())
    , m_strTitle(title)
{
}

CQuorvelDoc::~CQuorvelDoc()
{
    CloseArchive();
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

std::shared_ptr<const CEventList> CQuorvelDoc::Events() const
{
    const QMutexLocker lock(&m_sharedLock);
    return m_events;
}

void CQuorvelDoc::ReplaceEvents(std::shared_ptr<CEventList> events)
{
    std::shared_ptr<CEventList> old;
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

void CQuorvelDoc::AddEvent(CDisplayObj* pRecord)
{
    std::unique_ptr<CDisplayObj> record(pRecord);
    if (s_pEventLock && !s_pEventLock->tryAcquire(1, 10)) {
        qCDebug(lcArchive) << "event lock busy; record not listed";
        return;
    }
    int call = 0, fault = 0, normal = 0, system = 0;
    ReadEventViewSettings(call, fault, normal, system);
    if (record->PassesFilter(call, fault, normal, system)) {
        m_events->Append(*record);
        if (m_pView) {
            m_pView->ScrollBy(0, 1);
            m_pView->UpdateAllViews();
        }
    }
    if (s_pEventLock)
        s_pEventLock->release();
}

void CQuorvelDoc::ClearEvents()
{
    ReplaceEvents(std::make_shared<CEventList>());
    if (m_pView) {
        m_pView->ResetDisplay();
        m_pView->UpdateScrollRange();
    }
}

int CQuorvelDoc::HandleMessage(const char* data, int length)
{
    // A box of a day switch under way let this message in: it is recorded once the switch is done.
    // The switch holds as many as the link layer's queue; what comes beyond them is lost.
    if (m_bSwitching) {
        if (m_pendingMessages.size() >= kMessagesHeldBySwitch) {
            Health().Count(Health().recordsLost);
            return 0;
        }
        m_pendingMessages.append(QByteArray(data, qMax(0, length)));
        return 1;
    }
    const int result = RecordMessage(data, length);
    while (!m_pendingMessages.isEmpty()) {
        const QByteArray message = m_pendingMessages.takeFirst();
        if (!RecordMessage(message.constData(), int(message.size()))) {
            // Its caller was told it would be recorded, so the loss is reported here.
            UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
            UserMessages().ReportError(QString::fromLatin1(Str::kFatalDiskError));
        }
    }
    return result;
}

int CQuorvelDoc::RecordMessage(const char* data, int length)
{
    const int recorded = Record([&] {
        return std::unique_ptr<CDisplayObj>(length == 3
            ? new CDisplayObj(quint8(data[0]), quint8(data[1]), quint8(data[2]), m_nChannel)
            : new CDisplayObj(data, length, m_nChannel));
    });
    if (!recorded)
        Health().Count(Health().recordsLost);
    return recorded;
}

int CQuorvelDoc::RecordSystemEvent(const QByteArray& message)
{
    // A day switch under way holds received messages; the station's own remark waits for nobody.
    if (m_bSwitching)
        return 0;
    return Record([&] { return CDisplayObj::SystemEvent(message, m_nChannel); });
}

int CQuorvelDoc::Record(const std::function<std::unique_ptr<CDisplayObj>()>& build)
{
    QString key;
    const QDateTime now = GetTodayKey(key);
    if (m_strDateKey != key && !SwitchDay(key, now))
        return 0;

    std::unique_ptr<CDisplayObj> record = build();
    record->Serialize(*m_pArchive);
    if (m_pArchive->HasError()) {
        Health().Count(Health().archiveWriteErrors);
        const QString text = WriteErrorText(*m_pArchive);
        // Settled before the box, which may let the next message in.
        m_strDateKey.clear();
        record.reset();
        UserMessages().ReportError(text);
        return 0;
    }
    m_pArchive->EndRecord();
    Health().Count(Health().records);
    AddEvent(record.release());
    return 1;
}

ChannelHealth& CQuorvelDoc::Health() const
{
    return StationHealth::Channel(m_nChannel);
}

void CQuorvelDoc::FlushArchive()
{
    if (!FlushFails())
        return;
    Health().Count(Health().archiveWriteErrors);
    const QString text = WriteErrorText(*m_pArchive);
    // The next message opens the file again, after its last whole record.
    m_strDateKey.clear();
    UserMessages().ReportError(text);
}

bool CQuorvelDoc::FlushFails()
{
    // A stream that failed before has been reported then, and is left to the next day switch.
    return m_pArchive && !m_pArchive->HasError() && !m_pArchive->Flush();
}

// The file error, and above it how many of the records listed already it kept from the archive.
QString CQuorvelDoc::WriteErrorText(const CStoringArchive& ar) const
{
    if (ar.LostRecords() == 0)
        return ar.ErrorString();
    return QString::fromLatin1(Str::kRecordsNotArchived).arg(GetTitle()).arg(ar.LostRecords()) + QLatin1Char('\n')
        + ar.ErrorString();
}

void CQuorvelDoc::CloseArchive()
{
    const QString text = FlushFails() ? WriteErrorText(*m_pArchive) : QString();
    if (!text.isEmpty())
        Health().Count(Health().archiveWriteErrors);
    m_pArchive.reset();
    if (m_file.isOpen())
        m_file.close();
    if (!text.isEmpty())
        UserMessages().ReportError(text);
}
