#pragma once
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <memory>

class Pty;

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

    bool Start();
    // SIGTERM, then the exit code (-1 when it did not end in time).
    int Stop();
    QStringList OutputLines() const;
    QString Errors() const;
    // The records of a channel's archive for today: (kind, text) in file order; empty when none.
    QList<QPair<int, QByteArray>> ArchiveRecords(const QString& channelName) const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
