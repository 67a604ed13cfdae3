#include "comms/XonResume.h"

// The kernel's termios2 keeps speeds other than the classic ones, which the serial library sets
// that way; the C library's termios would not carry them. Its header cannot be mixed with these.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

bool ResumeOnXonOnly(int fd)
{
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    if (!(tio.c_iflag & IXANY))
        return true;
    tio.c_iflag &= ~tcflag_t(IXANY);
    return ioctl(fd, TCSETS2, &tio) == 0;
}
