#pragma once
#include <QObject>
#include <QStringList>

// The archives most recently opened for viewing, newest first, at most eight. Kept in the settings
// store (section "Recent File List", values "File1" to "File8", full paths): read at start-up,
// written when the program ends. The File menu shows it and opening an archive adds to it.
class RecentFileList : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSize = 8;

    // Reads the stored list; empty values and gaps are skipped, the same file is kept once.
    void ReadList();
    // Stores the list as File1.. in order; values of entries no longer there are removed.
    void WriteList() const;

    // Puts a file first, by its full path: a file already listed moves up rather than appearing
    // twice, and the oldest beyond eight drops off.
    void Add(const QString& path);
    // Drops the entry at index (0 = newest); other indexes are ignored.
    void Remove(int index);

    const QStringList& Files() const { return m_files; }

signals:
    void Changed();

private:
    QStringList m_files;
};
