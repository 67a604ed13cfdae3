#include "tests/support/TestStation.h"

#include "core/Clock.h"
#include "core/SettingsStore.h"
#include "core/Station.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

TestStation::TestStation()
    : m_previousDir(QDir::currentPath())
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path() + QStringLiteral("/config"));
    ResetProfileStore();
    SetStationDir(m_dir.path());
    QDir::setCurrent(m_dir.path());
}

TestStation::~TestStation()
{
    QDir::setCurrent(m_previousDir);
    ResetProfileStore();
    Clock::Reset();
}

QString TestStation::Path(const QString& name) const
{
    return m_dir.path() + QLatin1Char('/') + name;
}

void TestStation::WriteFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = Path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray TestStation::ReadFile(const QString& name) const
{
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestStation::SettingsFile() const
{
    return m_dir.path() + QStringLiteral("/config/Brannock/Quorvel.ini");
}
