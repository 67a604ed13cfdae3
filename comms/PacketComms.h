#pragma once
#include "comms/FrameBuffer.h"
#include "comms/SerialComms.h"

#include <QBasicTimer>

// The framing layer: turns received bytes into frames of either form and builds the CRC frames
// the program sends.
//   CRC frame:         FF 02, data, CRC-16/XMODEM (received high byte first), FF 03; FF FF inside
//                      stands for one FF.
//   Block-check frame: 02, data, 03, XOR of the data, 0D. Received only.
class CPacketComms : public CSerialComms
{
    Q_OBJECT
public:
    enum ReceiveResult { CrcFrameComplete = 0, BlockFrameComplete = 1, NoFrame = 2 };
    static constexpr int kFrameTimerId = 1;
    // Time the receiver gives a frame at the least, from its start marker on.
    static constexpr int kCrcFrameTimeMs = 10;
    static constexpr int kBlockFrameTimeMs = 3300;

    explicit CPacketComms(QObject* parent = nullptr);

    // Feeds one received byte to the frame receiver; reset = 1 only returns it to idle.
    int ReceiveByte(char ch, int reset);
    static void ComputeCrc(int count, quint16* crc, const quint8* data);
    static void UpdateCrc(quint16* crc, quint8 b);
    // 1 when the two bytes after the data of m_rxFrame (high byte first) equal m_wRxCrc.
    int CheckCrc() const;
    // The check of a completed CRC frame: computes m_wRxCrc over the data and compares. A frame
    // with fewer than two stored bytes has no CRC and fails, and so does one that overran the
    // receive buffer.
    int CheckCrcFrame();
    // The check of a completed block-check frame: the XOR of the data against the check byte. A
    // frame that overran the receive buffer fails.
    int CheckBlock() const;
    // Copies the completed frame's data to out (at least 126 bytes) and empties the receive
    // buffer; returns the number of data bytes, 0 when there are none or no frame is complete.
    int ExtractFrame(char* out);
    // Builds a CRC frame of at most 128 data bytes in m_txFrame; returns its first byte.
    const char* BuildFrame(const char* data, int count, int* frameLength);

    // How long a frame of the given form may take from its start marker before its bytes are
    // thrown away: the fixed time, but at least twice what a full frame needs at the line's speed.
    int FrameTimeoutMs(int minimumMs) const;

protected:
    virtual void OnTimer(int id);
    void timerEvent(QTimerEvent* event) override;

    int m_nFrameState = 0;
    FrameBuffer m_txFrame;
    FrameBuffer m_rxFrame;
    quint16 m_wRxCrc = 0;
    char m_chCheckByte = 0;  // the byte after the candidate ETX of a block-check frame

private:
    void StartFrame(int nextState);
    // True when a CR after the check byte can be the check byte of a reading one byte longer
    // whose check matches.
    bool CrMayBeCheckByte() const;

    // The frame timer is not restarted for every frame, which would cost more than the frame: it
    // ticks while frames arrive, and a frame is dropped once it has been in progress for the
    // ticks its time allows, counted from the first tick that saw it. It stops at a tick that
    // finds the receiver idle.
    QBasicTimer m_frameTimer;
    int m_nFrameTickMs = 0;
    int m_nBlockFrameTicks = 1;
    int m_nFrameTicksAllowed = 1;
    int m_nFrameTicks = 0;
    quint32 m_nFrameSerial = 0;   // counts the frames started
    quint32 m_nTimedFrame = 0;    // the frame in progress when the timer last looked
};
