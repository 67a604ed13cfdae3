#pragma once
#include "archive/ArchiveReading.h"
#include "archive/DayArchive.h"
#include "core/StationHealth.h"
#include "events/EventList.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class CDisplayObj;
class LoadingArchive;
class CMessageInterpreter;
class IDocView;
class QSemaphore;

// A channel's document: the day's event list in front of the day's archive (DayArchive). A live
// document has its channel name as title and receives every message of the channel through
// HandleMessage; a document made for viewing is filled from an archive by OnOpenDocument and
// never writes.
//
// Archive files are locked with flock: the open day archive exclusively (others may still read
// it without a lock, but no locking opener gets in), today's file exclusively while it is
// reloaded, a viewed archive shared.
//
// A live document lives on the logging thread, which records, archives and lists; the windows read
// its list, title and archive path from the user-interface thread at the same time. They read the
// list through Events(), which stays whole while they hold it however the day moves on.
class CQuorvelDoc : public QObject
{
    Q_OBJECT
public:
    explicit CQuorvelDoc(QObject* parent = nullptr);
    explicit CQuorvelDoc(const QString& title, QObject* parent = nullptr);
    ~CQuorvelDoc() override;  // flushes and closes the day's archive, reporting a failed flush

    // The application's event lock (a semaphore of one), shared by all documents. Without one
    // the list is changed unguarded.
    static void SetEventLock(QSemaphore* lock);

    void SetView(IDocView* view) { m_pView = view; }
    IDocView* GetView() const { return m_pView; }
    QString GetTitle() const;
    void SetTitle(const QString& title);
    void SetInterpreter(CMessageInterpreter* interpreter) { m_pInterpreter = interpreter; }
    CMessageInterpreter* GetInterpreter() const { return m_pInterpreter; }

    void SetConnection(int connected, int channel);
    int GetChannel() const { return m_nChannel; }
    int IsPortConnected() const { return m_bConnected; }

    // The list as it stands: records appended later show in it, a day switch leaves it as it was.
    std::shared_ptr<const EventList> Events() const;
    int GetEventCount() const { return Events()->Count(); }
    // On the document's thread, or through a list held from Events().
    ListedEvent GetEvent(int index) const { return m_events->At(index); }
    // Takes the record: lists it when it passes the display flags; the record itself goes.
    // True when the record entered the list (the display flags let it in).
    bool AddEvent(CDisplayObj* record);
    // Fault and alarm lines listed as their messages came in (not those read back from an
    // archive), counted since the document was made; any thread may read them.
    int LiveAlerts() const { return m_nLiveAlerts.load(std::memory_order_acquire); }
    int LiveFaults() const { return m_nLiveFaults.load(std::memory_order_relaxed); }
    void ClearEvents();

    // Archives the message and lists it; 1 when it was recorded, 0 when it was lost.
    int HandleMessage(const char* data, int length);
    int HandleMessage(const QByteArray& message) { return HandleMessage(message.constData(), int(message.size())); }

    // Archives and lists what the station has to say about the channel (a system event record);
    // on the document's thread. 1 when it was recorded.
    int RecordSystemEvent(const QByteArray& message);

    // With 1 the pattern of all the channel's archives, with 0 the path of today's archive.
    QString BuildArchivePath(int wildcard) const;
    // Loads today's records at start-up; 1 when today's file was read.
    int ReloadToday();
    // A live document's lines open before start-up reloads today's records: until it has, the
    // first record has them reloaded ahead of it, so the list keeps the day's order. Set before
    // the document moves to its thread; ReloadDue() on that thread.
    void SetReloadDue() { m_bReloadDue = true; }
    bool ReloadDue() const { return m_bReloadDue; }
    // Reads a whole archive from its first byte; 1 when the header matched and the records were read.
    int ReadArchive(LoadingArchive& ar);
    // Opens an earlier day's archive for viewing; 1 when it was read. In three steps when the
    // reading is to run on a worker thread: OpenForViewing, ReadForViewing, FinishOpenDocument.
    int OnOpenDocument(const QString& path);

    // The checks before an archive is read for viewing, each refusal told to the user: the file
    // open and share-locked, at its first byte; null when it was refused. The reading itself
    // (ArchiveReading::ReadForViewing) may run on any thread.
    std::unique_ptr<QFile> OpenForViewing(const QString& path);
    // Takes the records read (the document not shown yet) and reports how the reading went; 1.
    int FinishOpenDocument(ArchiveReading::ArchiveRead read);
    // The archive file of the document: the one it was opened from, or the channel's day archive.
    QString GetArchivePath() const;

    // The channel's oldest archive and the disk figures. age is now minus the oldest archive's
    // creation time in seconds (0 without archives, -1 when the clock is past its range).
    void ScanArchives(const QDateTime& now, qint64& age, quint64& free, quint64& diskSize, QString& oldestPath,
                      quint64& oldestSize) const;

public slots:
    // Hands the buffered records to the operating system; runs whenever the thread goes idle.
    // A failed write is reported at once, with the records it took.
    void FlushArchive();

private:
    // Into the day's archive (switched first when the day has changed), then the list: the record
    // build() returns, made once the day's archive is there.
    template <typename Build>
    int Record(const Build& build);
    // Lists the record when it passes the display flags; true when it did.
    bool ListEvent(const CDisplayObj& record);
    ChannelHealth& Health() const;
    bool SwitchDay(const QString& key, const QDateTime& now);
    int ReportReadOutcome(const ArchiveReading::Outcome& outcome);
    // Each record to ListEvent: listed as the display flags say now.
    ArchiveReading::KeepRecord AddingEvents();

    int m_bConnected = 0;
    bool m_bReloadDue = false;
    QString m_strArchivePath;
    void SetArchivePath(const QString& path);
    // A new list for the day (or the archive read) in place of the one there is.
    void ReplaceEvents(std::shared_ptr<EventList> events);

    std::shared_ptr<EventList> m_events;
    // Set before a live document moves to the logging thread; the user-interface thread's later
    // SetConnection writes the same number while the logging thread reads it.
    std::atomic<int> m_nChannel{-1};
    CMessageInterpreter* m_pInterpreter = nullptr;
    IDocView* m_pView = nullptr;
    QString m_strTitle;
    std::atomic<int> m_nLiveAlerts{0};
    std::atomic<int> m_nLiveFaults{0};
    mutable QMutex m_sharedLock;  // guards m_events (the pointer), m_strTitle and m_strArchivePath
    DayArchive m_day;  // after the lock: it names its files by the title
    QMetaObject::Connection m_idleFlush;

    static QSemaphore* s_pEventLock;
};
