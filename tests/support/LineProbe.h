#pragma once

// The line settings a serial device has now, read through a pseudo-terminal's master (which on
// Linux reports its slave's settings), speeds other than the classic ones included.
struct LineProbe
{
    bool ok = false;
    unsigned speed = 0;
    bool twoStopBits = false;
    bool rtsCts = false;
    bool xonXoff = false;
    bool resumesOnAnyByte = false;  // a line held by XOFF goes on at any received byte, not only XON

    static LineProbe Read(int fd);
};
