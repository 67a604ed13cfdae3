#pragma once
#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>

class CDisplayObj;
class StoringArchive;
class QFileInfo;

// A channel's archive for the day, on the logging thread: appends records to today's file, moves
// to a new file when the date changes, and keeps the channel's old archives and the disk in
// bounds as it does. Every failure is told to the user here; callers only learn that a record
// was not stored.
class DayArchive
{
public:
    static constexpr qint64 kMaxArchiveAge = 2419200;  // seconds: 28 days

    // The channel's name and number as they stand when asked: they name the files and the
    // error texts.
    using TitleSource = std::function<QString()>;
    using ChannelSource = std::function<int()>;
    DayArchive(TitleSource title, ChannelSource channel);
    ~DayArchive();  // flushes and closes the file, reporting a failed flush

    DayArchive(const DayArchive&) = delete;
    DayArchive& operator=(const DayArchive&) = delete;

    // The file of the day whose date key ("yyyyMMdd") is given.
    QString PathFor(const QString& dateKey) const;
    // True when records of the day with this key go to the open file.
    bool IsOpenFor(const QString& dateKey) const { return !m_strDateKey.isEmpty() && m_strDateKey == dateKey; }
    bool IsOpen() const { return m_file.isOpen(); }
    // The open file's path.
    QString Path() const { return m_strPath; }

    // Closes the day's file, if one is open.
    void Close();
    // Opens the file of the given day after the housekeeping; false when it could not be.
    bool Open(const QString& dateKey, const QDateTime& now);
    // Appends one record; false when it was not stored.
    bool Store(const CDisplayObj& record);
    // Hands the buffered records to the operating system; a failed write is reported at once,
    // and the next record opens the file again after its last whole record.
    void Flush();

    // The channel's oldest archive and the disk figures. age is now minus the oldest archive's
    // creation time in seconds (0 without archives, -1 when the clock is past its range).
    void ScanArchives(const QDateTime& now, qint64& age, quint64& free, quint64& diskSize, QString& oldestPath,
                      quint64& oldestSize) const;
    // When an archive file was first written: its birth time, else midnight of the date in its name.
    static QDateTime ArchiveCreationTime(const QFileInfo& info);

private:
    bool KeepDiskInBounds(const QDateTime& now) const;
    bool FlushFails();
    QString WriteErrorText() const;
    // Counted in the channel's health figures and told to the user as an error.
    void ReportWriteError(const QString& text) const;

    TitleSource m_pfnTitle;
    ChannelSource m_pfnChannel;
    QFile m_file;
    QString m_strPath;  // the file opened by its descriptor keeps no name of its own
    QString m_strDateKey;  // empty while no file takes records
    std::unique_ptr<StoringArchive> m_pArchive;
};
