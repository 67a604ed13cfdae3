#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QLocalSocket;
class QSocketNotifier;

// One running copy per station directory. The copy that runs the station holds a lock on a file
// in the station directory, which the system lets go of when that copy ends however it ends, and
// listens on a local socket named from the station's canonical path, in a directory only this
// user can enter. A later copy on the same station finds the lock taken, hands its command line
// to the running copy and ends before it touches a line, the settings or an archive. Stations in
// other directories are not affected.
// The command line handed over is the list of files named on it, each with its full path, since
// the two copies need not have started in the same directory.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim { Station, AlreadyRunning, Viewing, Failed };

    // What the socket takes from other copies; more is refused, and the refusals of a run are
    // told in one box.
    static constexpr int kMaxFiles = 64;
    static constexpr int kMaxConnections = 16;
    static constexpr int kIdleMs = 5000;

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // With no files: Station when this copy now runs the station until it ends, AlreadyRunning
    // when another copy runs it, Failed (see ErrorString()) when the lock cannot be had. A copy
    // that names files only views them: AlreadyRunning when the running copy took them, else
    // Viewing, holding nothing of the station.
    Claim ClaimStation(const QString& stationDir, const QStringList& files);
    QString ErrorString() const { return m_error; }

    // The socket of a station: the same for every spelling of its path, in the user's runtime
    // directory where there is one, else in a directory of the user's own in the temporary
    // directory (made with mode 0700). Empty when no such directory can be had: there is then no
    // hand-over.
    static QString ServerName(const QString& stationDir);

signals:
    // Another copy was started on this station, naming these files (none, or full paths).
    void ActivateRequested(const QStringList& files);

private:
    // Hands the files to the running copy (with windows, that copy comes to the front); false
    // when no copy took them.
    bool ActivatePreviousInstance(const QString& serverName, const QStringList& files) const;
    void Listen(const QString& serverName);
    void AcceptPending();
    void TakeCommandLine(QLocalSocket* socket);
    void Drop(QLocalSocket* socket, const char* reason);
    void Refuse(const char* reason);

    int m_lockFd = -1;
    int m_listenFd = -1;
    QByteArray m_socketPath;
    QSocketNotifier* m_notifier = nullptr;
    int m_connections = 0;
    bool m_refusing = false;      // in a run of refusals, whose box has been raised
    bool m_refusalBoxOpen = false;
    QTimer m_refusalsEnd;
    QString m_error;
};
