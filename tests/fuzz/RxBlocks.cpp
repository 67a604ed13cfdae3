#include "tests/fuzz/RxBlocks.h"

#include <algorithm>

QList<RxBlock> DecodeRxBlocks(const char* data, size_t size)
{
    QList<RxBlock> blocks;
    size_t at = 0;
    while (at < size) {
        const int control = quint8(data[at++]);
        RxBlock block;
        const size_t length = std::min(size - at, size_t(control % (RxBlock::kMaxBytes + 1)));
        block.bytes = QByteArray(data + at, qsizetype(length));
        block.handleAfter = (control / (RxBlock::kMaxBytes + 1)) & 1;
        block.tickAfter = (control / (RxBlock::kMaxBytes + 1)) & 2;
        at += length;
        blocks.append(block);
    }
    return blocks;
}

QByteArray EncodeRxBlocks(const QList<RxBlock>& blocks)
{
    QByteArray encoded;
    for (const RxBlock& block : blocks) {
        int flags = (block.handleAfter ? 1 : 0) | (block.tickAfter ? 2 : 0);
        if (flags * (RxBlock::kMaxBytes + 1) + block.bytes.size() > 255)
            flags &= 1;  // both flags fit only a block of up to 12 bytes: the tick goes
        encoded += char(flags * (RxBlock::kMaxBytes + 1) + int(block.bytes.size()));
        encoded += block.bytes;
    }
    return encoded;
}

QList<RxBlock> SplitIntoBlocks(const QByteArray& stream, int size)
{
    QList<RxBlock> blocks;
    for (qsizetype at = 0; at < stream.size(); at += size)
        blocks.append(RxBlock{stream.mid(at, size), true, false});
    return blocks;
}
