#pragma once
#include <QHash>
#include <QString>

// A read-only INI file with the matching rules station files have always been written for:
// section and key names without regard to case, blanks around names and values ignored, and one
// pair of quotes around a value removed. The first occurrence of a section or key wins.
class ProfileFile
{
public:
    // Reads the file; false (and no values) when it cannot be read. Anything but a regular file
    // (a named pipe, a folder) is not read at all, and IsRefused() tells so.
    bool Load(const QString& path);
    bool IsRefused() const { return m_refused; }
    bool HasSection(const QString& section) const;
    QString Value(const QString& section, const QString& key, const QString& defaultValue) const;

private:
    QHash<QString, QHash<QString, QString>> m_sections;  // lower-case names
    bool m_refused = false;
};
