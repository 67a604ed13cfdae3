#include "app/SilenceWatch.h"

#include "archive/QuorvelDoc.h"
#include "core/Clock.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "core/StationHealth.h"
#include "core/UserMessages.h"

#include <QDateTime>
#include <QTimerEvent>

namespace {

QByteArray TimeOfDay(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs).time().toString(QLatin1String(Str::kEventTimeFormat)).toLatin1();
}

} // namespace

SilenceWatch::SilenceWatch(int minutes, QObject* parent)
    : QObject(parent)
    , m_limitMs(minutes > 0 ? qint64(minutes) * 60000 : 0)
{
}

int SilenceWatch::ConfiguredMinutes()
{
    return qMax(0, GetProfileInt(QLatin1String(Str::kSectionSupervision), QLatin1String(Str::kSilenceMinutes), 0));
}

void SilenceWatch::SetDocument(int channel, CQuorvelDoc* document)
{
    if (channel >= 1 && channel <= int(m_lines.size()))
        m_lines[size_t(channel - 1)] = {document, false, 0};
}

void SilenceWatch::Start()
{
    if (m_limitMs > 0)
        m_timer.start(kCheckMs, this);
}

void SilenceWatch::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId())
        return QObject::timerEvent(event);
    Check();
}

void SilenceWatch::Check()
{
    if (m_limitMs <= 0)
        return;
    const qint64 now = Clock::NowMsecs();
    for (size_t i = 0; i < m_lines.size(); ++i) {
        Line& line = m_lines[i];
        if (!line.document)
            continue;
        const ChannelHealth& health = StationHealth::Channel(int(i) + 1);
        if (!health.up) {
            // A line that went away has its own event; once back it is watched afresh.
            line.silent = false;
            continue;
        }
        const qint64 lastSign = qMax(health.lastFrameMs.load(), health.upSinceMs.load());
        if (line.silent) {
            if (lastSign > line.silentSinceMs) {
                line.silent = false;
                const qint64 minutes = (lastSign - line.silentSinceMs) / 60000;
                Report(*line.document, QString::fromLatin1(Str::kLineActiveAgain).arg(minutes).toLatin1(), false);
            }
        } else if (now - lastSign >= m_limitMs) {
            line.silent = true;
            line.silentSinceMs = lastSign;
            Report(*line.document, QString::fromLatin1(Str::kLineSilent).arg(QString::fromLatin1(TimeOfDay(lastSign))).toLatin1(),
                   true);
        }
    }
}

void SilenceWatch::Report(CQuorvelDoc& document, const QByteArray& message, bool warning)
{
    document.RecordSystemEvent(message);
    // Posted to the person from here: the logging thread never waits for an answer.
    const QString text = QString::fromLatin1(Str::kChannelNotice).arg(document.GetTitle(), QString::fromLatin1(message));
    if (warning) {
        UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
        UserMessages().MessageBox(text, IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
    } else {
        UserMessages().MessageBox(text, IUserMessages::Buttons::Ok, IUserMessages::Icon::Information);
    }
}
