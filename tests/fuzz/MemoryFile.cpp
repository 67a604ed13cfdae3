#include "tests/fuzz/MemoryFile.h"

#include "tests/fuzz/FuzzStation.h"

#include <sys/mman.h>
#include <unistd.h>

MemoryFile::MemoryFile()
    : m_fd(memfd_create("quorvel-fuzz", MFD_CLOEXEC))
{
    FuzzRequire(m_fd >= 0, "a memory file can be made");
}

MemoryFile::~MemoryFile()
{
    m_file.close();
    ::close(m_fd);
}

QFile& MemoryFile::Reset(const QByteArray& bytes)
{
    m_file.close();
    FuzzRequire(::ftruncate(m_fd, 0) == 0 && ::pwrite(m_fd, bytes.constData(), size_t(bytes.size()), 0) == bytes.size()
                    && ::lseek(m_fd, 0, SEEK_SET) == 0,
                "a memory file can be filled");
    FuzzRequire(m_file.open(m_fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::DontCloseHandle),
                "a memory file opens");
    return m_file;
}

QByteArray MemoryFile::Contents()
{
    QByteArray bytes(qsizetype(::lseek(m_fd, 0, SEEK_END)), Qt::Uninitialized);
    FuzzRequire(::pread(m_fd, bytes.data(), size_t(bytes.size()), 0) == bytes.size(), "a memory file reads back");
    return bytes;
}
