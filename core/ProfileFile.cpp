#include "core/ProfileFile.h"

#include "core/RegularFile.h"

#include <QFile>

bool ProfileFile::Load(const QString& path)
{
    m_sections.clear();
    QFile file;
    const RegularFileOpen opened = OpenRegularFile(file, path);
    m_refused = opened == RegularFileOpen::NotRegular;
    if (opened != RegularFileOpen::Opened)
        return false;
    QHash<QString, QString>* current = nullptr;
    while (!file.atEnd()) {
        const QString line = QString::fromLocal8Bit(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const int close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toLower();
            current = &m_sections[name];  // a repeated section adds the keys it lacks
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!current || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (!current->contains(key))
            current->insert(key, value);
    }
    return true;
}

bool ProfileFile::HasSection(const QString& section) const
{
    return m_sections.contains(section.trimmed().toLower());
}

QString ProfileFile::Value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const auto s = m_sections.constFind(section.trimmed().toLower());
    if (s == m_sections.constEnd())
        return defaultValue;
    const auto v = s->constFind(key.trimmed().toLower());
    return v == s->constEnd() ? defaultValue : *v;
}
