#pragma once
#include <QBasicTimer>
#include <QObject>

#include <array>

class CQuorvelDoc;

// Notices a line that is open but has gone quiet: no frame, probes included, for the set number of
// minutes since it last had one (or since it was opened). The channel then gets a system event in
// its archive and list, "Line silent since HH:MM:SS", and the person at the station a warning (a
// line on standard error, a box with windows); when frames come again, "Line active again after N
// min". Lives on the logging thread beside the documents it writes to, and reads the frames' times
// from the station's figures, so the comms thread is never asked.
class SilenceWatch : public QObject
{
public:
    static constexpr int kCheckMs = 5000;

    // minutes: 0 or less, nothing is watched.
    explicit SilenceWatch(int minutes, QObject* parent = nullptr);

    // Channel n's document (not owned), or none.
    void SetDocument(int channel, CQuorvelDoc* document);
    // Starts the checks on the watch's thread; call from that thread.
    void Start();
    // One look at every channel, at the clock's time now.
    void Check();

    // The minutes set in the settings file ([Supervision] SilenceMinutes).
    static int ConfiguredMinutes();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Line
    {
        CQuorvelDoc* document = nullptr;
        bool silent = false;
        qint64 silentSinceMs = 0;  // the last sign of life before the silence
    };

    void Report(CQuorvelDoc& document, const QByteArray& message, bool warning);

    qint64 m_limitMs;
    std::array<Line, 16> m_lines;
    QBasicTimer m_timer;
};
