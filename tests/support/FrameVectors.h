#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

// The shared set of line frames (tests/support/frame-vectors.json): named frames of either
// direction, valid and broken, with what the station makes of each. The comms tests, the
// simulator's tests and the fuzz seeds all read this one set.
struct FrameVector
{
    QString name;
    QString form;      // "block", "crc", "station" or "monitor"
    QByteArray bytes;  // as on the line
    QByteArray data;   // what the frame carries
    bool valid = false;
    QString reply;     // for frames sent to the station: "ack", "nak" or "none"
    bool delivered = false;

    bool ToStation() const { return form == QLatin1String("block") || form == QLatin1String("crc"); }
};

class FrameVectors
{
public:
    // Every vector, in the file's order. A file that cannot be read or is malformed stops the
    // program with the reason: the tests themselves are at fault then.
    static const QList<FrameVector>& All();
    // The vector of that name; a name the file lacks stops the program likewise.
    static FrameVector Named(const QString& name);
    static QByteArray Bytes(const QString& name) { return Named(name).bytes; }
};
