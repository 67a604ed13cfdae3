#include "remote/RemoteSettings.h"

#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "core/UserMessages.h"
#include "remote/RemotePort.h"

std::atomic<int> g_nRemoteMonitorEnabled{0};

namespace {

constexpr int kMissing = -1;

// A value that is not a number fitting an int reads as missing: as an index it lies outside every table.
int ReadKey(const char* key, bool* readable = nullptr)
{
    return GetProfileInt(QString::fromLatin1(Str::kRemoteSection), QString::fromLatin1(key), kMissing, readable);
}

void WriteKey(const char* key, int value)
{
    WriteProfileInt(QString::fromLatin1(Str::kRemoteSection), QString::fromLatin1(key), value);
}

} // namespace

int ReadRemoteSettings(int& enabled, int& port, int& baud, int& dataBits, int& parity, int& stopBits,
                       int& flowControl)
{
    enabled = ReadKey(Str::kRemoteEnable);
    if (enabled == kMissing) {
        enabled = 0;
        port = 0;
        baud = 5;
        dataBits = 3;
        parity = stopBits = flowControl = 0;
        g_nRemoteMonitorEnabled = 0;
        return 0;
    }
    g_nRemoteMonitorEnabled = enabled;
    port = ReadKey(Str::kRemotePort);
    baud = ReadKey(Str::kRemoteBaud);
    dataBits = ReadKey(Str::kRemoteData);
    parity = ReadKey(Str::kRemoteParity);
    stopBits = ReadKey(Str::kRemoteStop);
    flowControl = ReadKey(Str::kRemoteFlow);
    return 1;
}

int WriteRemoteSettings(int enabled, int port, int baud, int dataBits, int parity, int stopBits, int flowControl)
{
    WriteKey(Str::kRemoteEnable, enabled);
    WriteKey(Str::kRemotePort, port);
    WriteKey(Str::kRemoteBaud, baud);
    WriteKey(Str::kRemoteData, dataBits);
    WriteKey(Str::kRemoteParity, parity);
    WriteKey(Str::kRemoteStop, stopBits);
    WriteKey(Str::kRemoteFlow, flowControl);
    g_nRemoteMonitorEnabled = enabled;
    return 1;
}

int IsRemoteConfigured()
{
    // An "EnableDisable" that cannot be read is there all the same: opening the port then asks for
    // the record to be configured, rather than monitoring staying off without a word.
    bool readable = true;
    return ReadKey(Str::kRemoteEnable, &readable) != kMissing || !readable ? 1 : 0;
}

RemoteMonitorSettings LoadRemoteSettings()
{
    RemoteMonitorSettings s;
    ReadRemoteSettings(s.enabled, s.port, s.baud, s.dataBits, s.parity, s.stopBits, s.flowControl);
    return s;
}

void ApplyRemoteSettings(const RemoteMonitorSettings& s)
{
    WriteRemoteSettings(s.enabled, s.port, s.baud, s.dataBits, s.parity, s.stopBits, s.flowControl);
    // Off takes effect at once: the interpreter forwards nothing more.
    if (s.enabled == 0 && SharedRemotePort().IsOpen())
        SharedRemotePort().Close(0);
    if (s.enabled != 0 && !SharedRemotePort().IsOpen())
        UserMessages().MessageBox(QString::fromLatin1(Str::kRestartToTakeEffect));
}
