#pragma once
#include <QString>

class ProfileFile;

// Which device stands for COM port n: the key COMn of section "ComPortDevices" of the port map
// (COM3=/dev/ttyUSB0), else /dev/ttyS<n-1>. Read once at start-up.
class ComPortDevices
{
public:
    static constexpr int kMaxPort = 100;

    static void Load(const ProfileFile& portMap);
    static void Clear();
    static void Set(int port, const QString& devicePath);   // tests and tools
    static QString DevicePath(int port);                     // empty for a number outside 1..100
};
