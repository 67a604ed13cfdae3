#include "app/QuorvelApp.h"

#include "app/ChannelTables.h"
#include "app/DisplayProbe.h"
#include "app/HeadlessConsole.h"
#include "app/HeadlessViews.h"
#include "app/MetricsFile.h"
#include "app/MessageInterpreter.h"
#include "app/OutputQueue.h"
#include "app/PortMap.h"
#include "app/ServiceNotifier.h"
#include "app/SignalWatcher.h"
#include "app/SilenceWatch.h"
#include "app/StallMeter.h"
#include "app/SingleInstance.h"
#include "app/StartupNotices.h"
#include "app/StationThreads.h"
#include "app/WindowViews.h"
#include "archive/ArchiveSeals.h"
#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/Logging.h"
#include "core/RemovableDrives.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "core/StartupMessage.h"
#include "core/StationHealth.h"
#include "core/Station.h"
#include "core/Strings.h"
#include "core/ThreadCall.h"
#include "core/UserMessages.h"
#include "events/AlarmTexts.h"
#include "events/DisplayObj.h"
#include "remote/RemoteMonitor.h"
#include "remote/RemotePort.h"
#include "remote/RemoteSettings.h"
#include "remote/RemoteStartup.h"
#include "ui/WindowMessages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSettings>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sysexits.h>
#include <unistd.h>

namespace {

// At the end, the reader of standard output gets this long to take the lines still queued: a
// SIGTERM must end the program within 2 s even when nobody reads them.
constexpr std::chrono::milliseconds kLastOutputTime{500};

// Where the station lives: --station, else $QUORVEL_STATION, else the user's data folder.
QString ChooseStationDir(const QCommandLineParser& parser, const QCommandLineOption& stationOption)
{
    if (parser.isSet(stationOption))
        return parser.value(stationOption);
    const QString fromEnvironment = qEnvironmentVariable("QUORVEL_STATION");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // The user's data folder: $XDG_DATA_HOME when it is an absolute path, as the base directory
    // convention says, else ~/.local/share.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Brannock/Quorvel");
}

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

// Start-up ends before the station could be taken: the user is told why.
int EndStartup(const QString& why)
{
    UserMessages().MessageBeep(IUserMessages::Beep::Hand);
    UserMessages().MessageBox(why, IUserMessages::Buttons::Ok, IUserMessages::Icon::Stop);
    return 1;
}

// Windows unless --headless is given or there is no display to show them on.
bool UseWindows(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            return false;
    }
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return false;
    if (XDisplayAnswers(display))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(QString::fromLatin1(Str::kNoDisplayAnswers).arg(QString::fromLocal8Bit(display))));
    return false;
}

// As many open files as the system lets this user have: every line, archive and window takes some.
void RaiseFileLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

CQuorvelApp::CQuorvelApp()
    : m_views(std::make_unique<CHeadlessViews>())
{
    m_reconnectTimer.setInterval(kReconnectIntervalMs);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &CQuorvelApp::RetryLostPorts);
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
    m_reconnectTimer.stop();
    // The manager hears no more once the station begins to go.
    m_notifier.reset();
    CloseChannelPorts();
    // The channels' objects come back to this thread, everything they had received recorded.
    if (m_threads) {
        std::vector<QObject*> comms, logging{m_silenceWatch.get()};
        for (Channel& channel : m_channels) {
            comms.push_back(channel.interpreter.get());
            logging.push_back(channel.document.get());
        }
        m_threads->Stop(comms, logging);
        m_threads.reset();
    }
    m_silenceWatch.reset();
    // The last figures, with every record counted, before the documents the names come from go.
    m_metrics.reset();
    // Comms stacks go before the documents they feed; each document flushes its archive as it goes.
    for (Channel& channel : m_channels)
        channel.interpreter.reset();
    for (int n = 1; n <= kChannelCount; ++n)
        SetChannelInterpreter(n, nullptr);
    for (Channel& channel : m_channels)
        channel.document.reset();
    CArchiveSeals::Finish();
    SignalWatcher::MarkStationSaved();
    CQuorvelDoc::SetEventLock(nullptr);
    CMessageInterpreter::SetRemoteMonitor(nullptr);
    RemotePort().Close();
    m_pRemoteMonitor.reset();
    m_recentFiles.WriteList();
    // The windows last: nothing is left that could still want to show something in them.
    m_views.reset();
}

void CQuorvelApp::SetChannelViews(std::unique_ptr<IChannelViews> views)
{
    m_views = std::move(views);
}

bool CQuorvelApp::InitInstance(const QStringList& files)
{
    // Every box of the set-up is held back until the channels are open, so that a station started
    // with nobody at it logs at once; the boxes then come in the order start-up raised them.
    StartupNotices notices;
    const bool started = SetUpStation(files);
    if (started) {
        m_reconnectTimer.start();
        m_views->ShowMainWindow();
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
    m_views->ShowRecentFiles(m_recentFiles.Files());
    connect(&m_recentFiles, &CRecentFileList::Changed, this,
            [this] { m_views->ShowRecentFiles(m_recentFiles.Files()); });
    LoadChannelNames();
    if (!LoadAlarmTexts())
        return false;
    CQuorvelDoc::SetEventLock(&m_hEventLock);

    // A named file is opened instead of the channels; the station is not started, so nothing
    // waits while it is read.
    const QScopedValueRollback<bool> startingUp(m_bStartingUp, true);
    if (!files.isEmpty())
        m_views->ShowViewingOnly();
    for (const QString& file : files) {
        if (!OpenDocumentFile(file))
            return false;
    }
    // Made before the lines open: the logging thread archives the first record at once.
    if (!MakeStationFolder(Str::kArchivesDir) || !MakeStationFolder(Str::kPrintDir))
        return false;
    if (files.isEmpty()) {
        OnFileNew();
        CArchiveSeals::SealEarlierDays();
    }
    return true;
}

bool CQuorvelApp::OpenDocumentFile(const QString& path)
{
    if (!m_views->CanShowArchives()) {
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(QString::fromLatin1(Str::kArchiveNeedsWindows).arg(path),
                                  IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
        return false;
    }
    // The same archive is never shown twice. A box of its opening lets a second request for it in,
    // which is left to the opening under way.
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (m_views->ActivateArchive(file) || m_openingArchives.contains(file))
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
    m_views->ShowArchive(std::move(opening.document));
    qCInfo(lcApp) << "archive opened for viewing:" << file;
}

void CQuorvelApp::OnActivateRequested(const QStringList& files)
{
    m_views->Activate();
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

    m_threads = std::make_unique<StationThreads>();
    bool anyFailed = false;
    for (int n = kChannelCount; n >= 1; --n) {
        Channel& channel = m_channels[size_t(n - 1)];
        QString name;
        GetChannelName(n - 1, name);
        channel.document = std::make_unique<CQuorvelDoc>(name);
        m_views->CreateView(n, *channel.document);
        channel.interpreter = std::make_unique<CMessageInterpreter>(3, 3, 3, channel.document.get());
        SetChannelInterpreter(n, channel.interpreter.get());
        channel.document->SetInterpreter(channel.interpreter.get());
        connect(channel.interpreter.get(), &CSerialComms::PortLost, this, [this, n] { OnPortLost(n); });
        channel.interpreter->SetHealth(&StationHealth::Channel(n));
        StationHealth::Channel(n).assigned = GetChannelPort(n) > 0;
        channel.document->moveToThread(m_threads->Logging());
        channel.interpreter->moveToThread(m_threads->Comms());
        if (!OpenChannelPort(n)) {
            m_views->ShowConnection(n, GetChannelPort(n), false);
            anyFailed = true;
        }
    }

    // On the logging thread, while the lines are acknowledged already: what arrives meanwhile is
    // recorded after the day's earlier records.
    for (int n = 1; n <= kChannelCount; ++n) {
        CQuorvelDoc* document = m_channels[size_t(n - 1)].document.get();
        CallOnThread(document, [document] { document->ReloadToday(); });
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
    CQuorvelDoc* first = m_channels[0].document.get();
    m_silenceWatch = std::make_unique<CSilenceWatch>(CSilenceWatch::ConfiguredMinutes());
    for (int n = 1; n <= kChannelCount; ++n)
        m_silenceWatch->SetDocument(n, m_channels[size_t(n - 1)].document.get());
    m_silenceWatch->moveToThread(m_threads->Logging());
    QMetaObject::invokeMethod(m_silenceWatch.get(), &CSilenceWatch::Start, Qt::QueuedConnection);

    const bool windows = QCoreApplication::instance()->inherits("QApplication");
    m_notifier = std::make_shared<CServiceNotifier>(first, windows, StationDir());
    // Queued behind the reloading of today's archives: the logging thread has done those and runs.
    QMetaObject::invokeMethod(
        first,
        [notifier = std::weak_ptr<CServiceNotifier>(m_notifier)] {
            if (const auto ready = notifier.lock())
                ready->Ready();
        },
        Qt::QueuedConnection);

    const QString metrics = CMetricsFile::ConfiguredPath();
    if (!metrics.isEmpty()) {
        std::array<CQuorvelDoc*, kChannelCount> documents{};
        for (int n = 1; n <= kChannelCount; ++n)
            documents[size_t(n - 1)] = m_channels[size_t(n - 1)].document.get();
        // Titles are read under the documents' own lock; the writer ends before the documents go.
        m_metrics = std::make_unique<CMetricsFile>(
            metrics, [documents](int n) { return documents[size_t(n - 1)]->GetTitle(); }, StationDir());
    }
}

void CQuorvelApp::PostSystemEvent(int n, const QString& message)
{
    // Behind the messages the line delivered before, so the archive tells them in their order.
    if (CMessageInterpreter* interpreter = GetChannelInterpreter(n))
        interpreter->PostSystemEvent(message.toLatin1());
}

void CQuorvelApp::EmergencyStop()
{
    for (Channel& channel : m_channels) {
        if (channel.interpreter)
            channel.interpreter->ClosePort();
    }
    for (Channel& channel : m_channels) {
        if (CQuorvelDoc* document = channel.document.get())
            CallOnThread(document, [document] { document->FlushArchive(); });
    }
}

bool CQuorvelApp::OpenChannelPort(int n)
{
    Channel& channel = m_channels[size_t(n - 1)];
    const bool open = channel.interpreter->OpenPort(GetChannelPort(n)) != 0;
    channel.refusedRecord.reset();
    if (channel.interpreter->LastOpenFailure() == CSerialComms::OpenFailure::Settings)
        channel.refusedRecord = LoadPortSettings(GetChannelPort(n));
    channel.document->SetConnection(channel.interpreter->IsConnected(), n);
    ChannelHealth& health = StationHealth::Channel(n);
    if (channel.interpreter->IsConnected())
        health.upSinceMs = Clock::NowMsecs();
    health.up = channel.interpreter->IsConnected() != 0;
    if (!open)
        qCInfo(lcApp) << "channel" << n << "not connected, COM" << GetChannelPort(n);
    return open;
}

void CQuorvelApp::OnPortLost(int n)
{
    Document(n)->SetConnection(0, n);
    StationHealth::Channel(n).up = false;
    m_channels[size_t(n - 1)].lost = true;
    // The archive explains its own gap.
    PostSystemEvent(n, QString::fromLatin1(Str::kPortNotConnected).arg(GetChannelPort(n)));
    m_views->ShowConnection(n, GetChannelPort(n), false);
}

void CQuorvelApp::RetryLostPorts()
{
    // A channel with an assigned port that is not open because its device was absent or went away
    // tries again with its stored settings. One whose settings were refused waits for its record
    // to change: trying the same record again would only repeat the message and toggle the line.
    bool storeReread = false;
    for (int n = 1; n <= kChannelCount; ++n) {
        Channel& channel = m_channels[size_t(n - 1)];
        if (!channel.interpreter || GetChannelPort(n) <= 0 || channel.interpreter->IsConnected())
            continue;
        if (channel.refusedRecord) {
            // A record corrected by hand in the settings file counts as well.
            if (!storeReread)
                ProfileStore().sync();
            storeReread = true;
            if (LoadPortSettings(GetChannelPort(n)) == *channel.refusedRecord)
                continue;
        }
        if (OpenChannelPort(n)) {
            m_views->ShowConnection(n, GetChannelPort(n), true);
            if (std::exchange(channel.lost, false))
                PostSystemEvent(n, QString::fromLatin1(Str::kPortConnectedAgain).arg(GetChannelPort(n)));
        }
    }
}

void CQuorvelApp::CloseChannelPorts()
{
    for (int n = 1; n <= kChannelCount; ++n) {
        if (CMessageInterpreter* interpreter = GetChannelInterpreter(n))
            interpreter->ClosePort();
    }
}

CQuorvelDoc* CQuorvelApp::Document(int channel) const
{
    return channel >= 1 && channel <= kChannelCount ? m_channels[size_t(channel - 1)].document.get() : nullptr;
}

int RunQuorvel(int argc, char* argv[])
{
    // The plain Unix event dispatcher costs less per wake-up than the GLib one.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // Whoever reads standard output or error may go away (a closed pipe, a reader that ended);
    // the listed lines and notices are then lost, but logging and archiving go on.
    std::signal(SIGPIPE, SIG_IGN);
    StationHealth::StartMs() = QDateTime::currentMSecsSinceEpoch();
    const bool windows = UseWindows(argc, argv);
    const std::unique_ptr<QCoreApplication> application =
        windows ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    // Windows show their messages in boxes; without them they go to standard error.
    CWindowMessages windowMessages;
    if (windows)
        SetUserMessages(&windowMessages);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Alarm-logging workstation: logs up to sixteen remote alarm systems on serial lines."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headlessOption(QStringLiteral("headless"),
                                            QStringLiteral("Run without windows: event lines go to standard output."));
    const QCommandLineOption stationOption(
        QStringLiteral("station"),
        QStringLiteral("Station directory (default: $QUORVEL_STATION, else $XDG_DATA_HOME/Brannock/Quorvel, XDG_DATA_HOME being ~/.local/share when not set)."),
        QStringLiteral("dir"));
    parser.addOption(headlessOption);
    parser.addOption(stationOption);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("An archive to view."),
                                 QStringLiteral("[file...]"));
    parser.process(app);

    // Named from where the program was started, not from the station directory it changes into.
    QStringList files;
    for (const QString& file : parser.positionalArguments())
        files.append(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
    const QString station = ChooseStationDir(parser, stationOption);
    if (!QDir(station).exists())
        return EndStartup(QString::fromLatin1(Str::kNoStationDir).arg(station));
    if (!QDir::setCurrent(station))
        return EndStartup(QString::fromLatin1(Str::kStationDirUnusable).arg(station, QString::fromLocal8Bit(std::strerror(errno))));
    SetStationDir(QDir::currentPath());

    RaiseFileLimit();
    // Before anything of the station is touched: a second copy must leave its lines alone.
    SingleInstance instance;
    const SingleInstance::Claim claim = instance.ClaimStation(StationDir(), files);
    switch (claim) {
    case SingleInstance::Claim::Station:
    case SingleInstance::Claim::Viewing:
        break;
    case SingleInstance::Claim::AlreadyRunning:
        // Not a box: the station is in good hands. The status is a temporary failure, so whatever
        // started this copy may try again and succeeds once the running copy has ended (a service
        // manager that restarts on failure takes the station over then).
        std::fprintf(stderr, "%s\n", qPrintable(QString::fromLatin1(Str::kStationAlreadyRunning).arg(StationDir())));
        return EX_TEMPFAIL;
    case SingleInstance::Claim::Failed:
        return EndStartup(instance.ErrorString());
    }

    // A signal stops the program without asking (with windows, quit() would ask the quit question),
    // also when it comes while a start-up box waits.
    SignalWatcher stopSignals;
    bool stopRequested = false;
    QObject::connect(&stopSignals, &SignalWatcher::StopRequested, &app, [&stopRequested] {
        stopRequested = true;
        QCoreApplication::exit(0);
    });

    // Event lines reach standard output through a writer of their own: a reader that stalls holds
    // up no line of the station.
    COutputQueue standardOutput(STDOUT_FILENO);
    CHeadlessConsole::SetOutput(&standardOutput);
    int result = 1;
    {
        CQuorvelApp quorvel;
        if (windows)
            quorvel.SetChannelViews(std::make_unique<CWindowViews>(quorvel));
        QObject::connect(&instance, &SingleInstance::ActivateRequested, &quorvel, &CQuorvelApp::OnActivateRequested);
        const CStallMeter stalls;
        if (quorvel.InitInstance(files))
            result = stopRequested ? 0 : app.exec();
        else if (claim == SingleInstance::Claim::Viewing)
            std::fprintf(stderr, "%s\n", Str::kViewingFailed);
    }
    CHeadlessConsole::SetOutput(nullptr);
    SetUserMessages(nullptr);
    ProfileStore().sync();
    standardOutput.WaitWritten(kLastOutputTime);
    return result;
}
