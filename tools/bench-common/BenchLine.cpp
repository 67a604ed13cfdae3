#include "tools/bench-common/BenchLine.h"

#include "comms/ComPortDevices.h"

#include <QString>

#include <pty.h>
#include <termios.h>

#include <cstdio>

int OpenBenchLine(int port)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return -1;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ComPortDevices::Set(port, QString::fromLocal8Bit(name));
    return master;
}
