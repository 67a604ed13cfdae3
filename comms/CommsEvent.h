#pragma once
#include <QByteArray>
#include <QEvent>

// The messages the layers of a channel's comms stack post to the channel's comms object. The
// numbers are the program's own and lie in Qt's user event range; 1283 is not used.
enum CommsMessage {
    WM_RX_DATA = 1280,      // received bytes (or an error text "<CE-n>"); wParam = number of bytes
    WM_RX_FRAME = 1281,     // a frame was queued; wParam = 1 when its check passed
    WM_RX_MESSAGE = 1282,   // an application message was queued; wParam = its length
    WM_COMMS_ERROR = 1284,  // an error text was queued; wParam = its length
};

// One posted message. It owns a copy of its bytes, so what the read thread posts stays intact
// however long the message waits, and is freed with the event. Received bytes carry the time they
// were read (ms since the epoch; 0: not known), by which their records are stamped.
class CommsEvent : public QEvent
{
public:
    CommsEvent(CommsMessage message, int wParam, const QByteArray& bytes = QByteArray(), qint64 arrival = 0)
        : QEvent(QEvent::Type(message)), m_wParam(wParam), m_bytes(bytes), m_arrival(arrival)
    {
    }

    int WParam() const { return m_wParam; }
    const QByteArray& Bytes() const { return m_bytes; }
    qint64 Arrival() const { return m_arrival; }

private:
    int m_wParam;
    QByteArray m_bytes;
    qint64 m_arrival;
};
