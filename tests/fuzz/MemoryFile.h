#pragma once
#include <QByteArray>
#include <QFile>

// A file that lives in memory only (memfd), opened as a QFile: the archive streams read and
// write real file descriptors, and a fuzz target runs too often to go to the disk each time.
class MemoryFile
{
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the contents and opens the file afresh at its first byte.
    QFile& Reset(const QByteArray& bytes = QByteArray());
    QByteArray Contents();

private:
    int m_fd;
    QFile m_file;
};
