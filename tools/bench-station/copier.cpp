// A byte copier that reads lines the way the program's port readers do: every line read in chunks
// of the same size, then left alone for the same hold-off, so that the rest of a frame and the next
// frames gather; but all lines on one thread, and nothing done with the bytes beyond saving them.
// It is the floor the station's CPU is measured against: what reading the traffic costs at all.
// Answers nothing. Ends when every line has been hung up, or on SIGTERM.
//
//   bench-station-copier OUTDIR DEVICE...     (saves each line to OUTDIR/<n>.bin, n from 1)
#include "comms/PortWorker.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t g_stop = 0;

struct Line
{
    int fd = -1;
    FILE* out = nullptr;
    Clock::time_point holdUntil;
};

// The same grid of hold-off ends the port readers use, so the lines wake together.
Clock::time_point HoldOffEnd(Clock::time_point now)
{
    const Clock::duration tick = PortWorker::kReadHoldOff;
    const Clock::duration earliest = (now + tick / 2).time_since_epoch();
    return Clock::time_point((earliest + tick - Clock::duration(1)) / tick * tick);
}

// Reads what the line holds; false once it has been hung up or failed.
bool ReadPending(Line& line)
{
    char buffer[PortWorker::kReadChunk];
    for (;;) {
        const ssize_t count = ::read(line.fd, buffer, sizeof buffer);
        if (count > 0) {
            std::fwrite(buffer, 1, size_t(count), line.out);
            if (count < ssize_t(sizeof buffer))
                return true;
        } else if (count == 0) {
            return false;
        } else if (errno != EINTR) {
            return errno == EAGAIN;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTDIR DEVICE...\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    std::vector<Line> lines;
    for (int i = 2; i < argc; ++i) {
        Line line;
        line.fd = ::open(argv[i], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios settings{};
        if (line.fd < 0 || ::tcgetattr(line.fd, &settings) != 0) {
            std::fprintf(stderr, "bench-station-copier: %s: %s\n", argv[i], std::strerror(errno));
            return 1;
        }
        ::cfmakeraw(&settings);
        ::tcsetattr(line.fd, TCSANOW, &settings);
        const std::string path = std::string(argv[1]) + '/' + std::to_string(i - 1) + ".bin";
        line.out = std::fopen(path.c_str(), "wb");
        if (!line.out) {
            std::fprintf(stderr, "bench-station-copier: %s: %s\n", path.c_str(), std::strerror(errno));
            return 1;
        }
        lines.push_back(line);
    }

    std::vector<pollfd> fds(lines.size());
    size_t open = lines.size();
    while (open > 0 && !g_stop) {
        const Clock::time_point now = Clock::now();
        Clock::time_point wakeAt = Clock::time_point::max();
        for (size_t i = 0; i < lines.size(); ++i) {
            const bool holding = lines[i].fd >= 0 && now < lines[i].holdUntil;
            fds[i] = {holding ? -1 : lines[i].fd, POLLIN, 0};
            if (holding)
                wakeAt = std::min(wakeAt, lines[i].holdUntil);
        }
        int timeoutMs = -1;
        if (wakeAt != Clock::time_point::max())
            timeoutMs = int(std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now).count());
        if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR)
            break;
        const Clock::time_point woke = Clock::now();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            if (ReadPending(lines[i]) && !(fds[i].revents & (POLLHUP | POLLERR))) {
                lines[i].holdUntil = HoldOffEnd(woke);
                continue;
            }
            ::close(lines[i].fd);
            lines[i].fd = -1;
            --open;
        }
    }
    for (Line& line : lines)
        std::fclose(line.out);
    return 0;
}
