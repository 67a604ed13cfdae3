#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One running copy per station directory. The copy that runs the station holds a lock on a file
// in the station directory, which the system lets go of when that copy ends however it ends, and
// listens on a local socket named from the station's canonical path. A later copy on the same
// station finds the lock taken, hands its command line to the running copy and ends before it
// touches a line, the settings or an archive. Stations in other directories are not affected.
// The command line handed over is the list of files named on it, each with its full path, since
// the two copies need not have started in the same directory.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim { Station, AlreadyRunning, Failed };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Station: this copy runs the station until it ends. AlreadyRunning: another copy runs it
    // and has been handed `files` (when its socket answered). Failed: see ErrorString().
    Claim ClaimStation(const QString& stationDir, const QStringList& files);
    QString ErrorString() const { return m_error; }

    // The socket of a station: the same for every spelling of its path, in the user's runtime
    // directory where there is one (private to the user, and the same for copies started with
    // another TMPDIR), else in the temporary directory.
    static QString ServerName(const QString& stationDir);

signals:
    // Another copy was started on this station, naming these files (none, or full paths).
    void ActivateRequested(const QStringList& files);

private:
    // Hands the files to the running copy (with windows, that copy comes to the front).
    void ActivatePreviousInstance(const QString& serverName, const QStringList& files) const;
    void TakeCommandLine(QLocalSocket* socket);

    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
    QString m_error;
};
