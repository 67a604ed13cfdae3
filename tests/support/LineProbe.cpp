#include "tests/support/LineProbe.h"

// The kernel's own termios2 carries the speed as a number; glibc's <termios.h> cannot be mixed in.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

LineProbe LineProbe::Read(int fd)
{
    LineProbe probe;
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return probe;
    probe.ok = true;
    probe.speed = tio.c_ospeed;
    probe.twoStopBits = tio.c_cflag & CSTOPB;
    probe.rtsCts = tio.c_cflag & CRTSCTS;
    probe.xonXoff = (tio.c_iflag & IXON) && (tio.c_iflag & IXOFF);
    probe.resumesOnAnyByte = tio.c_iflag & IXANY;
    return probe;
}
