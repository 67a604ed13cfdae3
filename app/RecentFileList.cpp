#include "app/RecentFileList.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"

#include <QDir>
#include <QSettings>

namespace {

QString Section()
{
    return QString::fromLatin1(Str::kSectionRecentFiles);
}

QString Entry(int number)
{
    return QString::fromLatin1(Str::kRecentFileEntry).arg(number);
}

} // namespace

void RecentFileList::ReadList()
{
    m_files.clear();
    for (int n = 1; n <= kSize; ++n) {
        const QString path = GetProfileString(Section(), Entry(n), QString());
        if (!path.isEmpty() && !m_files.contains(QDir::cleanPath(path)))
            m_files.append(QDir::cleanPath(path));
    }
    emit Changed();
}

void RecentFileList::WriteList() const
{
    ProfileStore().remove(Section());
    for (int i = 0; i < m_files.size(); ++i)
        WriteProfileString(Section(), Entry(i + 1), m_files[i]);
}

void RecentFileList::Add(const QString& path)
{
    const QString file = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    m_files.removeAll(file);
    m_files.prepend(file);
    while (m_files.size() > kSize)
        m_files.removeLast();
    emit Changed();
}

void RecentFileList::Remove(int index)
{
    if (index < 0 || index >= m_files.size())
        return;
    m_files.removeAt(index);
    emit Changed();
}
