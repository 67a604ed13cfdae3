// The port-map reader fed any qvportmap.ini. Properties: every channel's port is 0 or a COM
// number the value's digits can give (1..99), the count is the channels with a port, every COM
// number has a device, and reading is deterministic and blind to the line ends (LF or CR LF).
#include "app/ChannelTables.h"
#include "app/PortMap.h"
#include "comms/ComPortDevices.h"
#include "core/SettingsKeys.h"
#include "tests/fuzz/FuzzStation.h"

#include <QStringList>

#include <array>

namespace {

struct Reading
{
    int count = 0;
    std::array<int, kChannelCount + 1> ports{};
    QStringList devices;

    bool operator==(const Reading& other) const
    {
        return count == other.count && ports == other.ports && devices == other.devices;
    }
};

Reading Read(const QByteArray& bytes)
{
    FuzzStation::WriteFile(QString::fromLatin1(Str::kPortMapFile), bytes);
    Reading reading;
    reading.count = ReadPortMap(FuzzStation::Path(QString::fromLatin1(Str::kPortMapFile)));
    for (int channel = 1; channel <= kChannelCount; ++channel)
        reading.ports[size_t(channel)] = GetChannelPort(channel);
    for (int port = 1; port <= ComPortDevices::kMaxPort; ++port)
        reading.devices.append(ComPortDevices::DevicePath(port));
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const Reading reading = Read(bytes);
    int withPort = 0;
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        const int port = reading.ports[size_t(channel)];
        FuzzRequire(port >= 0 && port <= 99, "a port is none or COM1..COM99");
        withPort += port > 0 ? 1 : 0;
    }
    FuzzRequire(reading.count == withPort, "the count is the channels with a port");
    for (const QString& device : reading.devices)
        FuzzRequire(!device.isEmpty() && !device.contains(QLatin1Char('\n')), "every COM number has a device");

    FuzzRequire(Read(bytes) == reading, "reading is deterministic");
    if (!bytes.contains('\r'))
        FuzzRequire(Read(QByteArray(bytes).replace("\n", "\r\n")) == reading, "CR LF line ends read as LF");
    return 0;
}
