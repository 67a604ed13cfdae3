#pragma once
#include <QByteArray>

// When the service manager connects standard output or error to the journal, it names that stream
// in JOURNAL_STREAM as "device:inode". Lines written to such a stream start with their priority
// ("<3>" error ... "<6>" info), which the journal takes off and keeps; anywhere else (a terminal, a
// file, a pipe) lines stay as they are.
namespace JournalStream {
enum Priority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

// Whether fd is the stream JOURNAL_STREAM names; looked up once per descriptor.
bool IsJournal(int fd);
// The prefix for a line of that priority on fd: "<N>" on the journal, else nothing.
QByteArray Prefix(int fd, Priority priority);
} // namespace JournalStream
