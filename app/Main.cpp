#include "app/Main.h"

#include "app/DisplayProbe.h"
#include "app/HeadlessConsole.h"
#include "app/OutputQueue.h"
#include "app/QuorvelApp.h"
#include "app/SignalWatcher.h"
#include "app/SingleInstance.h"
#include "app/StallMeter.h"
#include "app/WindowViews.h"
#include "core/SettingsStore.h"
#include "core/StationHealth.h"
#include "core/Station.h"
#include "core/Strings.h"
#include "core/UserMessages.h"
#include "core/Version.h"
#include "ui/WindowDialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/resource.h>
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
    WindowDialogs windowDialogs;
    if (windows)
        SetUserDialogs(&windowDialogs);
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
    OutputQueue standardOutput(STDOUT_FILENO);
    HeadlessConsole::SetOutput(&standardOutput);
    int result = 1;
    {
        CQuorvelApp quorvel;
        if (windows)
            quorvel.SetChannelViews(std::make_unique<WindowViews>(quorvel));
        QObject::connect(&instance, &SingleInstance::ActivateRequested, &quorvel, &CQuorvelApp::OnActivateRequested);
        const StallMeter stalls;
        if (quorvel.InitInstance(files))
            result = stopRequested ? 0 : app.exec();
        else if (claim == SingleInstance::Claim::Viewing)
            std::fprintf(stderr, "%s\n", Str::kViewingFailed);
    }
    HeadlessConsole::SetOutput(nullptr);
    SetUserDialogs(nullptr);
    ProfileStore().sync();
    standardOutput.WaitWritten(kLastOutputTime);
    return result;
}
