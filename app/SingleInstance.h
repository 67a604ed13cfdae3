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
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim { Station, AlreadyRunning, Failed };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Station: this copy runs the station until it ends. AlreadyRunning: another copy runs it
    // and has been handed `arguments` (when its socket answered). Failed: see ErrorString().
    Claim ClaimStation(const QString& stationDir, const QStringList& arguments);
    QString ErrorString() const { return m_error; }

    // The socket name of a station: short, and the same for every spelling of its path.
    static QString ServerName(const QString& stationDir);

private:
    // Hands the command line to the running copy (with windows, that copy comes to the front).
    void ActivatePreviousInstance(const QString& serverName, const QStringList& arguments) const;
    void TakeCommandLine(QLocalSocket* socket);

    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
    QString m_error;
};
