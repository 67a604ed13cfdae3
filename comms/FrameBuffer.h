#pragma once

// The 128-byte buffer in which a frame is received or built. A byte that arrives when 128 are
// stored is dropped; the buffer remembers that it lost bytes until it is emptied.
struct FrameBuffer
{
    static constexpr int kCapacity = 128;

    int length = 0;
    bool overflowed = false;
    char data[kCapacity] = {};

    void PutByte(char ch)
    {
        if (length < kCapacity)
            data[length++] = ch;
        else
            overflowed = true;
    }
    void ResetBuffer()
    {
        length = 0;
        overflowed = false;
    }
};
