#include "comms/ComPortDevices.h"

#include "core/ProfileFile.h"
#include "core/SettingsKeys.h"

#include <array>

namespace {
std::array<QString, ComPortDevices::kMaxPort + 1> g_devices;
}

void ComPortDevices::Load(const ProfileFile& portMap)
{
    Clear();
    for (int n = 1; n <= kMaxPort; ++n)
        g_devices[size_t(n)] = portMap.Value(QString::fromLatin1(Str::kPortDevicesSection),
                                             QStringLiteral("COM%1").arg(n), QString());
}

void ComPortDevices::Clear()
{
    g_devices.fill(QString());
}

void ComPortDevices::Set(int port, const QString& devicePath)
{
    if (port >= 1 && port <= kMaxPort)
        g_devices[size_t(port)] = devicePath;
}

QString ComPortDevices::DevicePath(int port)
{
    if (port < 1 || port > kMaxPort)
        return QString();
    const QString& mapped = g_devices[size_t(port)];
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(port - 1) : mapped;
}
