#pragma once
#include <QByteArray>
#include <QString>

// Seals each closed day archive of the station: its SHA-256 goes into Archives/SHA256SUMS once
// its day is over, so that "sha256sum -c --ignore-missing SHA256SUMS" in the Archives folder
// shows that a file is whole and unchanged since. Today's archive (and one of a later day, after
// the clock went back) is never sealed; a line stays when housekeeping removes its file.
//
// Hashing a day's file takes a while, so the day switch and start-up only queue the work: it runs
// on a thread of its own, one archive after another, and a failure reaches the user as a box.
class ArchiveSeals
{
public:
    // A live channel has closed the archive at path on the day of todayKey ("yyyyMMdd").
    static void DayClosed(const QString& path, const QString& todayKey);
    // Start-up: every earlier day's archive in the Archives folder that has no seal yet.
    static void SealEarlierDays();
    // Waits until the queued seals are done.
    static void WaitForDone();
    // End of the program: the archive being hashed is sealed, the start-up's remaining ones are
    // left to the next start; then waits.
    static void Finish();

    enum class Result { Sealed, NotSealable, Failed };
    // Seals the archive at once on the calling thread, unless it has a seal already; lines are
    // its seal lines (for a copy of the seal file elsewhere). NotSealable: an archive of today or
    // later, a file not named as a day archive, or one a channel still has open.
    static Result SealNow(const QString& path, QByteArray& lines, QString& error);

private:
    static bool IsEarlierDay(const QString& fileName, const QString& todayKey);
    static void Queue(const QString& path, const QString& todayKey);
    static Result Seal(const QString& path, const QString& todayKey, QByteArray& lines, QString& error);
};
