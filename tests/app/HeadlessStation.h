#pragma once
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>

#include <map>
#include <memory>

class Pty;
class QSocketNotifier;

// A station directory with its own settings, and `quorvel --headless` running on it as a separate
// process, its standard output and error going to files the test reads.
class HeadlessStation
{
public:
    HeadlessStation();
    ~HeadlessStation();

    QString Dir() const { return m_dir.path(); }
    QString Path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    void SetSetting(const QString& key, const QVariant& value) const;  // "Section/Key" in Quorvel.ini

    // Writes qvportmap.ini: each channel's COM n, and the device of each COM number.
    void WritePortMap(const std::map<int, int>& channelPorts, const std::map<int, QString>& devices) const;

    // Where the program's standard output goes: a file the test reads; a pipe whose reader has
    // gone away (as when a service's journal reader or a `| head` ends); or a pipe of one page
    // that nobody reads until ReadOutput (as a journal or a terminal that stalls).
    enum class Output { File, ClosedPipe, StalledPipe };
    void SetEnvironment(const QString& name, const QString& value);
    // Files named on the command line of the next start, and the directory it starts from
    // (empty: the test's own).
    void SetCommandLine(const QStringList& files, const QString& workingDir);
    bool Start(Output output = Output::File);
    // Whether the stalled pipe is read, while the test's event loop runs, into the file
    // OutputLines reads.
    void ReadOutput(bool reading);
    // The program runs with its windows (on the platform QT_QPA_PLATFORM names) instead of headless.
    void SetWindows(bool windows) { m_windows = windows; }
    // SIGTERM (or the signal given), then the exit code (-1 when it did not end in time).
    int Stop(int signal = SIGTERM);
    // The exit code once the program has ended by itself (-1 when it did not end in time or crashed).
    int WaitForExit(int timeoutMs);
    void Kill();  // SIGKILL, as a crash or `kill -9` ends it
    // Runs a second copy on this station (named by stationPath) with the same environment until
    // it ends: its exit code (-1 when it did not end in time and was killed), output and errors.
    // It names `files` on its command line and starts in workingDir (empty: the test's own).
    int RunAnotherCopy(const QString& stationPath, QByteArray* output, QString* errors,
                       const QStringList& files = {}, const QString& workingDir = {}) const;
    // Starts such a copy in `copy` and leaves it running.
    bool StartAnotherCopy(QProcess& copy, const QStringList& files = {}, const QString& workingDir = {}) const;
    // The program (and every copy) starts with at most this many open files, soft and hard.
    void SetFileLimit(int soft, int hard);
    qint64 ProcessId() const { return m_process.processId(); }
    QStringList OutputLines() const;
    QStringList LinesOf(const QString& channelName) const;  // the listed lines of a channel, without its prefix
    QString Errors() const;
    // The records of a channel's archive for today: (kind, text) in file order; empty when none.
    QList<QPair<int, QByteArray>> ArchiveRecords(const QString& channelName) const;

    // Channel 1 on `line` alone: writes the port map, starts, and is true once the line is open.
    bool StartOnLine(Pty& line, Output output = Output::File);
    // True once another process (the program) holds every line open and has had a moment to set
    // each one up: the program discards what arrives while it opens a line, as a real line's first
    // frame may be lost then (a real alarm system sends it again when no ACK comes).
    static bool WaitForPeers(const QList<Pty*>& lines);
    // Sends a coded alarm (number 1, the value given) and is true when it is acknowledged.
    static bool SendAlarm(Pty& line, int value);
    // Sends the frames one after the other at once, and is true when each is acknowledged.
    static bool SendFrames(Pty& line, const QByteArrayList& frames);

private:
    QStringList Arguments(const QString& stationPath, const QStringList& files) const;
    void TakeOutput();
    bool StartCopy(QProcess& copy, const QString& stationPath, const QStringList& files, const QString& workingDir) const;

    QTemporaryDir m_dir;
    QStringList m_files;
    QProcess m_process;
    bool m_windows = false;
    int m_outputReader = -1;  // the stalled pipe's reading end
    std::unique_ptr<QSocketNotifier> m_outputReady;
};
