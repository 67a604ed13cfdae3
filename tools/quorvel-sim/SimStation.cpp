#include "SimStation.h"

#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "remote/RemoteSettings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>

namespace SimStation {

namespace {

constexpr int kChannels = 16;
constexpr char kOwnMark[] = "; Written by quorvel-sim";

// A port map the simulator did not write is someone's own set-up: it is kept beside the new one.
bool KeepPortMap(const QString& path, QString& error)
{
    QFile existing(path);
    if (!existing.exists())
        return true;
    if (existing.open(QIODevice::ReadOnly) && existing.read(sizeof kOwnMark - 1) == kOwnMark)
        return true;
    existing.close();
    const QString backup = path + QStringLiteral(".bak");
    if ((QFile::exists(backup) && !QFile::remove(backup)) || !QFile::copy(path, backup))
        return error = QStringLiteral("cannot keep the port map as ") + backup, false;
    return true;
}

} // namespace

QString PortMapPath(const SimOptions& options)
{
    return QDir(options.station).filePath(QString::fromLatin1(Str::kPortMapFile));
}

bool WritePortMap(const SimOptions& options, const QMap<int, QString>& devices, QString& error)
{
    if (!QDir().mkpath(options.station))
        return error = QStringLiteral("cannot make the station directory ") + options.station, false;
    const QString path = PortMapPath(options);
    if (!KeepPortMap(path, error))
        return false;
    QByteArray text = kOwnMark;
    text += ": channel n is COMn.\n[";
    text += Str::kPortMapSection;
    text += "]\n";
    for (int channel = 1; channel <= kChannels; ++channel)
        text += QStringLiteral("Channel%1=COM%1\n").arg(channel).toLocal8Bit();
    text += QByteArray("\n[") + Str::kPortDevicesSection + "]\n";
    QMap<int, QString> entries = devices;
    for (int com = 1; com <= kChannels; ++com)
        if (!entries.contains(com) && options.unplayed == SimOptions::Unplayed::Missing)
            entries.insert(com, QDir(options.station).filePath(QStringLiteral("no-device-COM%1").arg(com)));
    for (auto it = entries.begin(); it != entries.end(); ++it)
        text += QStringLiteral("COM%1=%2\n").arg(it.key()).arg(it.value()).toLocal8Bit();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return error = QStringLiteral("cannot write ") + path, false;
    return true;
}

bool WriteMonitorSettings(const SimOptions& options, QString& error)
{
    constexpr int k8DataBits = 3;
    WriteRemoteSettings(1, options.monitorCom, BaudIndex(options.baud), k8DataBits, 0, 0, 0);
    ProfileStore().sync();
    if (ProfileStore().status() != QSettings::NoError)
        return error = QStringLiteral("cannot write the settings store ") + ProfileStore().fileName(), false;
    return true;
}

} // namespace SimStation
