#pragma once
#include "app/RecentFileList.h"
#include "archive/QuorvelDoc.h"

#include <QObject>
#include <QSemaphore>
#include <QStringList>

#include <array>
#include <atomic>
#include <memory>

class Channel;
class IChannelViews;
class CQuorvelDoc;
class MetricsFile;
class CRemoteMonitor;
class ServiceNotifier;
class SilenceWatch;
class PortRetries;
class QWidget;
class StationThreads;

// The application: owns the sixteen channels (document, first view, comms stack, line) with the
// retries of their missing lines, the event lock and the remote monitor, starts them in their
// order and stops them in theirs.
class CQuorvelApp : public QObject
{
    Q_OBJECT
public:
    // The channels are shown without windows until SetChannelViews() says otherwise.
    CQuorvelApp();
    // Closes the ports, then the documents, then the remote monitor port; stores the recent files.
    ~CQuorvelApp() override;

    // What the channels are shown on; set before InitInstance.
    void SetChannelViews(std::unique_ptr<IChannelViews> views);
    IChannelViews& ChannelViews() const { return *m_pViews; }

    // Start-up in the station directory (already current): with no file named, the sixteen channels
    // are set up and log from then on; only then is the person at the station told what start-up
    // found (each box waits for an answer). False when the program must end.
    bool InitInstance(const QStringList& files = {});
    // The missing lines are no longer tried again, and every channel's port is closed.
    void CloseChannelPorts();

    // Opens an archive for viewing in a window of its own and lists it among the recent files;
    // an archive shown already has its window brought forward. False when the file was refused
    // (with its message), or where there are no windows to view it in. Once the station has
    // started, the file is opened and read on a worker thread and the window follows when the
    // records are in; a refusal found there comes as its box alone.
    bool OpenDocumentFile(const QString& path);
    // Another copy was started on this station naming these files: this one comes to the front
    // and opens them.
    void OnActivateRequested(const QStringList& files);

    // The property sheet of channel n (name, COM settings, line count), shown modally over parent;
    // nothing for a number outside 1..16 (an archive's window).
    void OpenChannelProperties(int channel, QWidget* parent = nullptr);
    // Every channel document takes its channel's current name as its title, and is shown so.
    void UpdateChannelTitles();

    CQuorvelDoc* Document(int channel) const;
    const QStringList& AvailablePorts() const { return m_availablePorts; }
    RecentFileList& RecentFiles() { return m_recentFiles; }

private:
    // An archive being opened for viewing: the worker has the file and the read alone until it
    // ends; the document waits on this thread.
    struct ArchiveOpening
    {
        std::unique_ptr<CQuorvelDoc> document;
        std::unique_ptr<QFile> file;
        ArchiveReading::ArchiveRead read;
    };

    bool SetUpStation(const QStringList& files);
    // The read done: its outcome reported, the archive listed among the recent files and shown.
    void ShowOpenedArchive(const QString& file, ArchiveOpening& opening);
    void OnFileNew();
    // Closes the ports and writes the archives out from a thread other than the user-interface
    // thread, which is held: the program ends right after.
    void EmergencyStop();
    // The station reports on itself: to the service manager, in the metrics file, on silent lines.
    void StartSelfReport();

    std::unique_ptr<IChannelViews> m_pViews;
    std::unique_ptr<StationThreads> m_pThreads;  // once the channels are set up
    std::array<std::unique_ptr<Channel>, 16> m_channels;  // index channel - 1
    std::unique_ptr<PortRetries> m_pRetries;               // on the comms thread
    QSemaphore m_hEventLock{1};
    std::unique_ptr<CRemoteMonitor> m_pRemoteMonitor;
    std::unique_ptr<SilenceWatch> m_pSilenceWatch;  // on the logging thread
    std::shared_ptr<ServiceNotifier> m_pNotifier;
    std::unique_ptr<MetricsFile> m_pMetrics;
    QStringList m_availablePorts;
    RecentFileList m_recentFiles;
    QStringList m_openingArchives;  // being read; a request for one of them waits for it
    bool m_bStartingUp = false;     // the files named at start-up are read before the station starts
    std::atomic<bool> m_bEnding{false};  // archives being read stop
};
