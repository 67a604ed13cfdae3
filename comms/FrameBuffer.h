#pragma once

// The 128-byte buffer in which a frame is received or built. A byte that arrives when 128 are
// stored is dropped without notice.
struct FrameBuffer
{
    static constexpr int kCapacity = 128;

    int length = 0;
    char data[kCapacity] = {};

    void PutByte(char ch)
    {
        if (length < kCapacity)
            data[length++] = ch;
    }
    void ResetBuffer() { length = 0; }
};
