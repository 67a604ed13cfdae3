#pragma once
#include <QString>

class QSerialPort;
class QSettings;

// The line settings of a COM port as stored per port ("COM%i Settings": Port, Baud, Data, Stop,
// Parity, Shake), and the tables that turn the stored indexes into line settings. The remote
// monitor keeps a record of its own but uses the same tables.
namespace PortTables {
inline constexpr int kBaudRates[] = {300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 128000, 256000};
inline constexpr int kDataBits[] = {5, 6, 7, 8};
inline constexpr int kParityCount = 5;    // None, Odd, Even, Mark, Space
inline constexpr int kStopBitsCount = 3;  // 1, 1.5, 2
inline constexpr int kBaudCount = int(sizeof(kBaudRates) / sizeof(kBaudRates[0]));
inline constexpr int kDataCount = int(sizeof(kDataBits) / sizeof(kDataBits[0]));
}

enum ShakeBits { ShakeDtrDsr = 1, ShakeRtsCts = 2, ShakeXonXoff = 4 };

struct LineSettings
{
    int baud = 5;      // index into kBaudRates
    int dataBits = 3;  // index into kDataBits
    int parity = 0;
    int stopBits = 0;
    int shake = 0;     // ShakeBits; negative only when the stored value could not be read

    // True when every index lies inside its table and the handshake bits are not negative; a
    // stored value outside must never index a table.
    bool IsValid() const;
    int BaudRate() const;  // the rate itself; 0 when the index is out of range
    // Milliseconds a write may take per byte: 19200 / rate, 0 above 19200 (no total limit).
    int WriteTimeoutPerByte() const;
};

struct PortSettingsRecord
{
    int port = 0;  // the "Port" value, which names the port in the set-up failure message
    LineSettings line{0, 0, 0, 0, 0};

    bool operator==(const PortSettingsRecord& other) const
    {
        return port == other.port && line.baud == other.line.baud && line.dataBits == other.line.dataBits
            && line.parity == other.line.parity && line.stopBits == other.line.stopBits
            && line.shake == other.line.shake;
    }
    bool operator!=(const PortSettingsRecord& other) const { return !(*this == other); }
};

// Reads "COM<n> Settings"; a missing key reads as 0, so a missing record means 300 baud, 5 data bits.
// A value that is not a number fitting an int reads as -1: out of range, like any value beyond its table.
PortSettingsRecord LoadPortSettings(int port);
// The same, read from the given store (one of a thread's own).
PortSettingsRecord LoadPortSettings(int port, QSettings& store);
void WritePortSettings(int port, const PortSettingsRecord& record);
// Stores what the COM page chose for a port: "Port" and every value that is not negative; a list
// without a selection (-1) leaves its stored value as it is.
void WriteChosenPortSettings(int port, const LineSettings& chosen);

// A setting the device refused, named as the COM page names it ("Data Bits 7"), and the
// system's reason.
struct LineRefusal
{
    QString setting;
    QString reason;
};

// Applies the line settings and flow control to an open port. False when an index is out of its
// table or the device refuses a setting; then `refusal`, when given, says which.
bool ApplyLineSettings(QSerialPort& serial, const LineSettings& line, LineRefusal* refusal = nullptr);
// Applies only the rate, data bits, parity and stop bits to an open port, leaving its flow control
// alone. When an index is out of its table or the device refuses a setting, the port is put back
// to the format it had and false is returned.
bool ChangeLineFormat(QSerialPort& serial, const LineSettings& line, LineRefusal* refusal = nullptr);
