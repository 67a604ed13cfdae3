#include "app/QuorvelApp.h"

#include "app/Channel.h"
#include "app/ChannelTables.h"
#include "app/HeadlessViews.h"
#include "app/MetricsFile.h"
#include "app/MessageInterpreter.h"
#include "app/PortMap.h"
#include "app/PortRetries.h"
#include "app/ServiceNotifier.h"
#include "app/SignalWatcher.h"
#include "app/SilenceWatch.h"
#include "app/StartupNotices.h"
#include "app/StationThreads.h"
#include "archive/ArchiveSeals.h"
#include "archive/QuorvelDoc.h"
#include "core/Logging.h"
#include "core/RemovableDrives.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "core/StartupMessage.h"
#include "core/Station.h"
#include "core/ThreadCall.h"
#include "core/UserMessages.h"
#include "events/AlarmTexts.h"
#include "events/DisplayObj.h"
#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "remote/RemoteStartup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 1 when the folder exists afterwards; only its last level is made. On 0, errno says why.
int CreateFolder(const QString& path)
{
    return QDir(path).exists() || ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 ? 1 : 0;
}

// Makes one of the station's folders; when it cannot be made the user is told why and start-up ends.
bool MakeStationFolder(const char* name)
{
    const QString folder = QString::fromLatin1(name);
    if (CreateFolder(folder))
        return true;
    const int error = errno;
    qCWarning(lcApp) << "Unable to create" << folder << "directory";
    UserMessages().MessageBeep(IUserMessages::Beep::Hand);
    UserMessages().MessageBox(QString::fromLatin1(Str::kFolderCreateFailed)
                                  .arg(folder, StationPath(folder), QString::fromLocal8Bit(std::strerror(error))),
                              IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
    return false;
}

} // namespace

CQuorvelApp::CQuorvelApp()
    : m_pViews(std::make_unique<HeadlessViews>())
{
}

CQuorvelApp::~CQuorvelApp()
{
    // A stop signal the windows did not answer in time has the station stopped from another
    // thread, which ends the program: nothing here may touch the station meanwhile.
    if (!SignalWatcher::BeginOrderlyStop()) {
        for (;;)
            ::pause();
    }
    SignalWatcher::SetEmergencyStop({});
    // An archive still being read stops where it is: its thread may not outlive the application,
    // and its window is no longer made.
    m_bEnding = true;
    for (QThread* worker : findChildren<QThread*>(Qt::FindDirectChildrenOnly)) {
        worker->disconnect(this);
        worker->wait();
    }
    // The manager hears no more once the station begins to go.
    m_pNotifier.reset();
    CloseChannelPorts();
    // The channels' objects come back to this thread, everything they had received recorded.
    if (m_pThreads) {
        std::vector<QObject*> comms{m_pRetries.get()}, logging{m_pSilenceWatch.get()};
        for (const auto& channel : m_channels) {
            comms.push_back(channel->Interpreter());
            logging.push_back(channel->Document());
        }
        m_pThreads->Stop(comms, logging);
        m_pThreads.reset();
    }
    m_pRetries.reset();
    m_pSilenceWatch.reset();
    // The last figures, with every record counted, before the documents the names come from go.
    m_pMetrics.reset();
    // Each document flushes its archive as it goes.
    for (auto& channel : m_channels)
        channel.reset();
    ArchiveSeals::Finish();
    SignalWatcher::MarkStationSaved();
    CQuorvelDoc::SetEventLock(nullptr);
    CMessageInterpreter::SetRemoteMonitor(nullptr);
    SharedRemotePort().Close();
    m_pRemoteMonitor.reset();
    m_recentFiles.WriteList();
    // The windows last: nothing is left that could still want to show something in them.
    m_pViews.reset();
}

void CQuorvelApp::SetChannelViews(std::unique_ptr<IChannelViews> views)
{
    m_pViews = std::move(views);
}

bool CQuorvelApp::InitInstance(const QStringList& files)
{
    // Every box of the set-up is held back until the channels are open, so that a station started
    // with nobody at it logs at once; the boxes then come in the order start-up raised them.
    StartupNotices notices;
    const bool started = SetUpStation(files);
    if (started) {
        if (m_pRetries)
            m_pRetries->Start();
        m_pViews->ShowMainWindow();
    }
    notices.Show();

    const QString pending = TakeStartupMessage();
    if (!pending.isEmpty()) {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(pending);
    }
    return started;
}

bool CQuorvelApp::SetUpStation(const QStringList& files)
{
    ProfileStore();
    ReportStationDirOpenToOthers();
    if (FindRemovableDrives() == 0) {
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(QString::fromLatin1(Str::kNoRemovableDrives), IUserMessages::Buttons::Ok,
                                  IUserMessages::Icon::Exclamation);
    }
    m_recentFiles.ReadList();
    m_pViews->ShowRecentFiles(m_recentFiles.Files());
    connect(&m_recentFiles, &RecentFileList::Changed, this,
            [this] { m_pViews->ShowRecentFiles(m_recentFiles.Files()); });
    LoadChannelNames();
    if (!LoadAlarmTexts())
        return false;
    CQuorvelDoc::SetEventLock(&m_hEventLock);

    // A named file is opened instead of the channels; the station is not started, so nothing
    // waits while it is read.
    const QScopedValueRollback<bool> startingUp(m_bStartingUp, true);
    if (!files.isEmpty())
        m_pViews->ShowViewingOnly();
    for (const QString& file : files) {
        if (!OpenDocumentFile(file))
            return false;
    }
    // Made before the lines open: the logging thread archives the first record at once.
    if (!MakeStationFolder(Str::kArchivesDir) || !MakeStationFolder(Str::kPrintDir))
        return false;
    if (files.isEmpty()) {
        OnFileNew();
        ArchiveSeals::SealEarlierDays();
    }
    return true;
}

bool CQuorvelApp::OpenDocumentFile(const QString& path)
{
    if (!m_pViews->CanShowArchives()) {
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveNeedsWindows).arg(path),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
        return false;
    }
    // The same archive is never shown twice. A box of its opening lets a second request for it in,
    // which is left to the opening under way.
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (m_pViews->ActivateArchive(file) || m_openingArchives.contains(file))
        return true;
    m_openingArchives.append(file);
    auto opening = std::make_shared<ArchiveOpening>();
    opening->document = std::make_unique<CQuorvelDoc>();
    // Taken here: the worker never reads the settings store.
    const ArchiveReading::DisplayFlags flags = ArchiveReading::ReadDisplayFlags();
    if (m_bStartingUp) {
        opening->file = opening->document->OpenForViewing(file);
        if (!opening->file) {
            m_openingArchives.removeOne(file);
            return false;
        }
        opening->read = ArchiveReading::ReadForViewing(*opening->file, flags);
        ShowOpenedArchive(file, *opening);
        return true;
    }
    // Opened and read beside the windows: a file on a stalled mount, or a pipe in an archive's
    // place, must not hold them, nor the end of the program. Its refusal comes as a box.
    QThread* worker = QThread::create([opening, flags, file, cancel = &m_bEnding] {
        opening->file = opening->document->OpenForViewing(file);
        if (opening->file)
            opening->read = ArchiveReading::ReadForViewing(*opening->file, flags, cancel);
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, this, [this, worker, opening, file] {
        worker->deleteLater();
        if (opening->file)
            ShowOpenedArchive(file, *opening);
        else
            m_openingArchives.removeOne(file);
    });
    worker->start();
    return true;
}

void CQuorvelApp::ShowOpenedArchive(const QString& file, ArchiveOpening& opening)
{
    // Read whole before its window is made: the records go in without a paint for each.
    opening.document->FinishOpenDocument(std::move(opening.read));
    m_openingArchives.removeOne(file);
    m_recentFiles.Add(file);
    m_pViews->ShowArchive(std::move(opening.document));
    qCInfo(lcApp) << "archive opened for viewing:" << file;
}

void CQuorvelApp::OnActivateRequested(const QStringList& files)
{
    m_pViews->Activate();
    for (const QString& file : files)
        OpenDocumentFile(file);
}

void CQuorvelApp::OnFileNew()
{
    if (ReadPortMap(QString::fromLatin1(Str::kPortMapFile)) < kChannelCount) {
        qCDebug(lcApp) << "Port Map init error";
        UserMessages().MessageBeep(IUserMessages::Beep::Hand);
        UserMessages().MessageBox(QString::fromLatin1(Str::kPortMapError), IUserMessages::Buttons::Ok,
                                  IUserMessages::Icon::Stop);
    }

    m_pThreads = std::make_unique<StationThreads>();
    bool anyFailed = false;
    for (int n = kChannelCount; n >= 1; --n) {
        auto& channel = m_channels[size_t(n - 1)];
        channel = std::make_unique<Channel>(n, GetChannelPort(n), *m_pViews);
        channel->MoveToThreads(m_pThreads->Comms(), m_pThreads->Logging());
        if (!channel->Open())
            anyFailed = true;
    }
    std::vector<Channel*> channels;
    for (const auto& channel : m_channels)
        channels.push_back(channel.get());
    m_pRetries = std::make_unique<PortRetries>(channels);
    m_pRetries->moveToThread(m_pThreads->Comms());

    // On the logging thread, while the lines are acknowledged already: what arrives meanwhile is
    // recorded after the day's earlier records.
    for (const auto& channel : m_channels) {
        CQuorvelDoc* document = channel->Document();
        CallOnThread(document, [document] {
            if (document->ReloadDue())
                document->ReloadToday();
        });
    }

    // The monitor is there before its port opens, so every message forwarded is numbered and its
    // failures are told.
    m_availablePorts = BuildPortList();
    m_pRemoteMonitor = std::make_unique<CRemoteMonitor>();
    CMessageInterpreter::SetRemoteMonitor(m_pRemoteMonitor.get());
    connect(m_pRemoteMonitor.get(), &CRemoteMonitor::SendFailed, this, [] {
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
        UserMessages().MessageBox(QString::fromLatin1(Str::kRemotePortError));
    });
    if (IsRemoteConfigured())
        OpenRemotePort();

    if (anyFailed)
        UserMessages().MessageBeep(IUserMessages::Beep::Asterisk);
    SignalWatcher::SetEmergencyStop([this] { EmergencyStop(); });
    StartSelfReport();
}

void CQuorvelApp::StartSelfReport()
{
    CQuorvelDoc* first = m_channels[0]->Document();
    m_pSilenceWatch = std::make_unique<SilenceWatch>(SilenceWatch::ConfiguredMinutes());
    for (int n = 1; n <= kChannelCount; ++n)
        m_pSilenceWatch->SetDocument(n, Document(n));
    m_pSilenceWatch->moveToThread(m_pThreads->Logging());
    QMetaObject::invokeMethod(m_pSilenceWatch.get(), &SilenceWatch::Start, Qt::QueuedConnection);

    const bool windows = QCoreApplication::instance()->inherits("QApplication");
    m_pNotifier = std::make_shared<ServiceNotifier>(first, windows, StationDir());
    // Queued behind the reloading of today's archives: the logging thread has done those and runs.
    QMetaObject::invokeMethod(
        first,
        [notifier = std::weak_ptr<ServiceNotifier>(m_pNotifier)] {
            if (const auto ready = notifier.lock())
                ready->Ready();
        },
        Qt::QueuedConnection);

    const QString metrics = MetricsFile::ConfiguredPath();
    if (!metrics.isEmpty()) {
        std::array<CQuorvelDoc*, kChannelCount> documents{};
        for (int n = 1; n <= kChannelCount; ++n)
            documents[size_t(n - 1)] = Document(n);
        // Titles are read under the documents' own lock; the writer ends before the documents go.
        m_pMetrics = std::make_unique<MetricsFile>(
            metrics, [documents](int n) { return documents[size_t(n - 1)]->GetTitle(); }, StationDir());
    }
}

void CQuorvelApp::EmergencyStop()
{
    if (m_pRetries)
        m_pRetries->Stop();
    for (const auto& channel : m_channels) {
        if (channel)
            channel->Interpreter()->ClosePort();
    }
    for (const auto& channel : m_channels) {
        if (CQuorvelDoc* document = channel ? channel->Document() : nullptr)
            CallOnThread(document, [document] { document->FlushArchive(); });
    }
}

void CQuorvelApp::CloseChannelPorts()
{
    // A round of retries would open them again.
    if (m_pRetries)
        m_pRetries->Stop();
    for (int n = 1; n <= kChannelCount; ++n) {
        if (CMessageInterpreter* interpreter = GetChannelInterpreter(n))
            interpreter->ClosePort();
    }
}

CQuorvelDoc* CQuorvelApp::Document(int channel) const
{
    const bool made = channel >= 1 && channel <= kChannelCount && m_channels[size_t(channel - 1)];
    return made ? m_channels[size_t(channel - 1)]->Document() : nullptr;
}
