#pragma once
#include <atomic>

// The remote monitoring settings record (section "RemoteMonitorSettings" of the settings store):
// EnableDisable, Port, BaudRate, DataBits, Parity, StopBits, FlowControl. The indexes are those of
// the port tables; FlowControl is kept for the dialog and never applied to the port.

// The "EnableDisable" value last read or written; forwarding happens only while it is 1. Written
// on the user-interface thread, read by the logging thread.
extern std::atomic<int> g_nRemoteMonitorEnabled;

// Nonzero when the record exists. A missing record gives enabled 0, port 0, 9600 baud, 8 data bits,
// no parity, one stop bit, no flow control; keys missing from an existing record, and values that are
// not numbers fitting an int, read as -1.
int ReadRemoteSettings(int& enabled, int& port, int& baud, int& dataBits, int& parity, int& stopBits,
                       int& flowControl);
// Writes all seven values; always 1.
int WriteRemoteSettings(int enabled, int port, int baud, int dataBits, int parity, int stopBits, int flowControl);
// Nonzero when "EnableDisable" is stored at all, readable or not.
int IsRemoteConfigured();

// The record as one value: what the remote monitoring dialog shows and gives back.
struct RemoteMonitorSettings
{
    int enabled = 0;
    int port = 0;
    int baud = 5;
    int dataBits = 3;
    int parity = 0;
    int stopBits = 0;
    int flowControl = 0;

    bool operator==(const RemoteMonitorSettings& other) const
    {
        return enabled == other.enabled && port == other.port && baud == other.baud && dataBits == other.dataBits
            && parity == other.parity && stopBits == other.stopBits && flowControl == other.flowControl;
    }
};

// ReadRemoteSettings as one value: a missing record gives its defaults.
RemoteMonitorSettings LoadRemoteSettings();
// A choice confirmed: writes the record. Switching off closes the monitor's port at once (frames
// not yet written go with it); switching on while the port is not open is told to take effect at
// the next start. Anything else waits for the next start without a word.
void ApplyRemoteSettings(const RemoteMonitorSettings& settings);
