#pragma once
#include <QString>
#include <QTemporaryDir>

// A station of its own for one test: a temporary station directory (made current), a settings
// store inside it, and the program-wide clock back on the system time when it ends.
class TestStation
{
public:
    TestStation();
    ~TestStation();

    QString Dir() const { return m_dir.path(); }
    QString Path(const QString& name) const;
    // Writes a file into the station directory, making folders as needed.
    void WriteFile(const QString& name, const QByteArray& bytes) const;
    // A file's bytes, or none when it cannot be read.
    QByteArray ReadFile(const QString& name) const;
    QString SettingsFile() const;  // the ini file the store writes

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};
