// The framer and link layer fed received bytes in any split, as the read thread posts them.
// Properties: every message delivered is the payload of a frame in the input that passes its
// check (re-framed by the simulator's own encoder, found in the input), no more often than the
// input holds such frames; what the stack writes is ACK and NAK frames only, at most one per
// block-check frame end, and an ACK for every message only a block-check frame can have brought;
// without timer ticks the split changes nothing; and a block-check frame built from the input's
// first bytes, with the matching check, is delivered with exactly those bytes whenever no shorter
// reading can end it (its data hold no ETX, byte, CR).
#include "comms/CommsEvent.h"
#include "tests/comms/RecordingProtocol.h"
#include "tests/fuzz/FuzzStation.h"
#include "tests/fuzz/RxBlocks.h"
#include "tools/quorvel-sim/SimFrames.h"

#include <QByteArrayList>
#include <QCoreApplication>

#include <algorithm>

namespace {

// The top of the stack with no port: records what it takes off the queues and what it writes.
class FuzzedStack : public RecordingProtocol
{
public:
    int WriteBytes(const char* buffer, int count) override
    {
        written.append(buffer, count);
        return 1;
    }
    void Tick() { OnTimer(kFrameTimerId); }

    QByteArray written;
};

void HandlePosted()
{
    // A handler may post again (a frame brings a message); a few rounds reach the end.
    for (int round = 0; round < 4; ++round)
        QCoreApplication::sendPostedEvents();
}

void Feed(FuzzedStack& stack, const QList<RxBlock>& blocks)
{
    for (const RxBlock& block : blocks) {
        QCoreApplication::postEvent(&stack, new CommsEvent(WM_RX_DATA, int(block.bytes.size()), block.bytes));
        if (block.handleAfter)
            HandlePosted();
        if (block.tickAfter) {
            HandlePosted();  // the timer fires on the user-interface thread, between posted events
            stack.Tick();
        }
    }
    HandlePosted();
}

qsizetype Occurrences(const QByteArray& haystack, const QByteArray& needle)
{
    qsizetype count = 0;
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + 1))
        ++count;
    return count;
}

// Up to 120 data bytes (the frame fits the receive buffer) that a block-check frame carries whole:
// not a probe ("RU", answered but not delivered), no ETX two bytes before a CR.
QByteArray WholeBlockFrameData(const QByteArray& stream)
{
    const QByteArray data = stream.left(120);
    if (data.isEmpty() || data.startsWith("RU"))
        return {};
    for (qsizetype i = 0; i + 2 < data.size(); ++i) {
        if (data.at(i) == '\x03' && data.at(i + 2) == '\x0D')
            return {};
    }
    return data;
}

QByteArrayList Sorted(QByteArrayList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<RxBlock> blocks = DecodeRxBlocks(reinterpret_cast<const char*>(data), size);
    QByteArray stream;
    bool ticked = false;
    for (const RxBlock& block : blocks) {
        stream += block.bytes;
        ticked = ticked || block.tickAfter;
    }

    FuzzedStack stack;
    Feed(stack, blocks);
    FuzzRequire(stack.errors.isEmpty(), "no comms error without a transmission");

    qsizetype blockOnly = 0;
    for (const QByteArray& message : stack.messages) {
        const qsizetype crcFrames = Occurrences(stream, SimFrames::CrcFrame(message, false));
        const qsizetype blockFrames = Occurrences(stream, SimFrames::BlockFrame(message, false));
        FuzzRequire(crcFrames + blockFrames > 0, "a delivered message is a checked frame of the input");
        FuzzRequire(stack.messages.count(message) <= crcFrames + blockFrames,
                    "a message is delivered no more often than the input holds its frame");
        if (crcFrames == 0)
            ++blockOnly;
    }

    const QByteArray ack = SimFrames::TerminalAck();
    const QByteArray nak = SimFrames::TerminalNak();
    qsizetype acks = 0;
    qsizetype replies = 0;
    for (qsizetype at = 0; at < stack.written.size(); at += ack.size(), ++replies) {
        const QByteArray reply = stack.written.mid(at, ack.size());
        FuzzRequire(reply == ack || reply == nak, "the stack writes whole ACK and NAK frames only");
        acks += reply == ack ? 1 : 0;
    }
    FuzzRequire(replies <= stream.count('\x0D'), "at most one reply per block-check frame end");
    FuzzRequire(acks >= blockOnly, "every message of a block-check frame was acknowledged");

    const QByteArray message = WholeBlockFrameData(stream);
    if (!message.isEmpty()) {
        FuzzedStack whole;
        Feed(whole, SplitIntoBlocks(SimFrames::BlockFrame(message, false), RxBlock::kMaxBytes));
        FuzzRequire(whole.messages == QByteArrayList{message}, "a block-check frame whose check matches is delivered whole");
        FuzzRequire(whole.written == ack, "and acknowledged");
    }

    if (!ticked) {
        // The same bytes as the reader posts them from a busy line, each block handled at once.
        FuzzedStack reference;
        Feed(reference, SplitIntoBlocks(stream, RxBlock::kMaxBytes));
        FuzzRequire(Sorted(stack.messages) == Sorted(reference.messages), "the split changes no message");
        FuzzRequire(stack.written == reference.written, "the split changes no reply");
    }
    return 0;
}
