#pragma once
#include <QByteArray>
#include <QList>

// The framer target's input: blocks of received bytes as the read thread posts them (at most 80
// bytes each), each led by one control byte c. c % 81 is the block's length; of c / 81, bit 0 asks
// for everything posted to be handled after the block, bit 1 for a frame timer tick after it (so
// a block with both is at most 12 bytes long).
struct RxBlock
{
    static constexpr int kMaxBytes = 80;

    QByteArray bytes;
    bool handleAfter = false;
    bool tickAfter = false;
};

QList<RxBlock> DecodeRxBlocks(const char* data, size_t size);
QByteArray EncodeRxBlocks(const QList<RxBlock>& blocks);
// A received byte stream cut into blocks of `size` bytes, handled after each block.
QList<RxBlock> SplitIntoBlocks(const QByteArray& stream, int size);
