// Counts the records of day archives by their byte layout alone, without the program's own
// reader, so the benchmark's count of logged messages does not depend on the code it measures.
// Prints one line per file: records, bytes left over after the last whole record, file name.
// With --frames it counts the frames in captures of a line instead (what a byte copier saved):
// frames, bytes outside any whole frame, file name.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 41;
constexpr size_t kFieldsBefore = 20;  // status colour, text colour, kind, fault, message length
constexpr size_t kFieldsAfter = 4;    // text-message flag

uint32_t Little(const std::vector<unsigned char>& bytes, size_t at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= uint32_t(bytes[at + i]) << (8 * i);
    return value;
}

// The length of the counted string at `at` and the size of its prefix; false when cut short.
bool CountedString(const std::vector<unsigned char>& bytes, size_t at, size_t& prefix, size_t& length)
{
    const size_t size = bytes.size();
    if (at + 1 > size)
        return false;
    if (bytes[at] != 0xFF) {
        prefix = 1;
        length = bytes[at];
        return true;
    }
    if (at + 3 > size)
        return false;
    const uint32_t shortLength = Little(bytes, at + 1, 2);
    if (shortLength != 0xFFFF) {
        prefix = 3;
        length = shortLength;
        return true;
    }
    if (at + 7 > size)
        return false;
    prefix = 7;
    length = Little(bytes, at + 3, 4);
    return true;
}

// Block frames 02 ... 03 check 0D, and CRC frames FF 02 ... FF 03 with FF FF standing for FF.
long long CountFrames(const std::vector<unsigned char>& bytes, size_t& outside)
{
    long long frames = 0;
    size_t at = 0, inFrames = 0;
    const size_t size = bytes.size();
    while (at < size) {
        size_t end = 0;
        if (bytes[at] == 0x02) {
            // As a receiver reads it: after 03 and the check byte anything but 0D is data, and
            // that byte is not looked at as a 03 itself.
            for (size_t i = at + 1; i + 2 < size && !end; ++i) {
                if (bytes[i] != 0x03)
                    continue;
                if (bytes[i + 2] == 0x0D)
                    end = i + 3;
                i += 2;
            }
        } else if (bytes[at] == 0xFF && at + 1 < size && bytes[at + 1] == 0x02) {
            for (size_t i = at + 2; i + 1 < size && !end; ++i) {
                if (bytes[i] != 0xFF)
                    continue;
                if (bytes[i + 1] == 0x03)
                    end = i + 2;
                ++i;
            }
        }
        if (!end) {
            ++at;
            continue;
        }
        inFrames += end - at;
        at = end;
        ++frames;
    }
    outside = size - inFrames;
    return frames;
}

// Records after the header, and the bytes after the last whole one.
long long CountRecords(const std::vector<unsigned char>& bytes, size_t& leftOver)
{
    size_t at = kHeaderSize;
    long long records = 0;
    size_t prefix = 0, length = 0;
    while (at + kFieldsBefore <= bytes.size() && CountedString(bytes, at + kFieldsBefore, prefix, length)) {
        const size_t end = at + kFieldsBefore + prefix + length + kFieldsAfter;
        if (end > bytes.size())
            break;
        at = end;
        ++records;
    }
    leftOver = bytes.size() > at ? bytes.size() - at : 0;
    return records;
}

} // namespace

int main(int argc, char** argv)
{
    int result = 0;
    const bool frames = argc > 1 && std::string(argv[1]) == "--frames";
    for (int i = frames ? 2 : 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            result = 1;
            continue;
        }
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
        size_t rest = 0;
        const long long count = frames ? CountFrames(bytes, rest) : CountRecords(bytes, rest);
        std::printf("%lld %zu %s\n", count, rest, argv[i]);
    }
    return result;
}
