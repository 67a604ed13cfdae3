#include "SimStation.h"

#include "comms/PortSettings.h"
#include "core/SettingsStore.h"
#include "core/Strings.h"
#include "remote/RemoteSettings.h"

#include <QDir>
#include <QSaveFile>
#include <QSettings>

namespace SimStation {

namespace {
constexpr int kChannels = 16;
}

bool WritePortMap(const SimOptions& options, const QMap<int, QString>& devices, QString& error)
{
    if (!QDir().mkpath(options.station))
        return error = QStringLiteral("cannot make the station directory ") + options.station, false;
    const QString path = QDir(options.station).filePath(QString::fromLatin1(Str::kPortMapFile));
    QByteArray text = "; Written by quorvel-sim: channel n is COMn.\n[";
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
    const auto* rates = std::begin(PortTables::kBaudRates);
    const auto* found = std::find(rates, std::end(PortTables::kBaudRates), options.baud);
    if (found == std::end(PortTables::kBaudRates))
        return error = QStringLiteral("--write-settings: --baud must be one of the program's line speeds"), false;
    constexpr int k8DataBits = 3;
    WriteRemoteSettings(1, options.monitorCom, int(found - rates), k8DataBits, 0, 0, 0);
    ProfileStore().sync();
    if (ProfileStore().status() != QSettings::NoError)
        return error = QStringLiteral("cannot write the settings store ") + ProfileStore().fileName(), false;
    return true;
}

} // namespace SimStation
