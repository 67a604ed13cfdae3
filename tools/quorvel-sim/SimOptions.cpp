#include "SimOptions.h"

#include "comms/PortSettings.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSettings>

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

constexpr int kChannels = 16;
constexpr int kLastCom = 100;
// Bounds that keep every figure meaningful and every time in range; far beyond what a line carries.
constexpr int kMaxRate = 1000000;
constexpr int kMinBaud = 50;
constexpr int kMaxBaud = 4000000;
constexpr qint64 kMaxCount = 1000000000000;
constexpr int kMaxDuration = 1000000;
constexpr int kMaxStartDelayMs = 3600000;

// A finite number within min..max ("inf" and "nan" are not).
bool ToNumber(const QString& text, double min, double max, double& value)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < min || number > max)
        return false;
    value = number;
    return true;
}

// A whole number within min..max.
template <typename Integer>
bool ToInteger(const QString& text, qint64 min, qint64 max, Integer& value)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (!ok || number < min || number > max)
        return false;
    value = Integer(number);
    return true;
}

// The value named by text among the choices; false when it names none.
template <typename Value>
bool Choose(const QString& text, std::initializer_list<std::pair<const char*, Value>> choices, Value& value)
{
    for (const auto& [name, choice] : choices) {
        if (text == QLatin1String(name)) {
            value = choice;
            return true;
        }
    }
    return false;
}

} // namespace

bool ParseNumberList(const QString& text, int min, int max, QList<int>& numbers)
{
    numbers.clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(QLatin1Char('-'));
        bool okFirst = false, okLast = true;
        const int first = ends.first().trimmed().toInt(&okFirst);
        const int last = ends.size() == 2 ? ends.last().trimmed().toInt(&okLast) : first;
        if (ends.size() > 2 || !okFirst || !okLast || first < min || last > max || first > last)
            return false;
        for (int n = first; n <= last; ++n)
            numbers << n;
    }
    return !numbers.isEmpty();
}

bool ParseSimOptions(const QCoreApplication& app, SimOptions& o, QString& error)
{
    const QString settingsFile = ProfileStore().fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays the remote alarm systems on the channels' lines and the remote monitoring device, on "
        "pseudo-terminals, and writes the station's port map for them. Channel n is COMn. Prints "
        "\"ready\" once the lines exist; a line starts sending once the program has opened it. Prints "
        "\"sending\" when the first line starts and \"stopped\" when sending ends. On SIGINT, SIGTERM or "
        "the end of --duration it prints one summary line per channel, a total and the monitor's line. "
        "A block-check message holding the byte 03 goes out in the CRC form instead: the block form "
        "cannot carry that byte safely. Every option is checked before anything is written; only "
        "--station is required."));
    parser.addHelpOption();
    const QCommandLineOption station(QStringLiteral("station"),
        QStringLiteral("Station directory, made when missing. The port map %1 is written there; an "
                       "existing one is kept as %1.bak unless this simulator wrote it (required).")
            .arg(QLatin1String(Str::kPortMapFile)),
        QStringLiteral("dir"));
    const QCommandLineOption channels(QStringLiteral("channels"),
                                      QStringLiteral("Channels played, e.g. 1-16 or 1,4,7 (default 1-16)."),
                                      QStringLiteral("list"), QStringLiteral("1-16"));
    const QCommandLineOption monitor(QStringLiteral("monitor"),
        QStringLiteral("Play the remote monitor on this COM port, COM17 to COM100 (default: no monitor)."),
        QStringLiteral("COMn"));
    const QCommandLineOption writeSettings(QStringLiteral("write-settings"),
        QStringLiteral("Store the remote monitor settings record, enabled for the --monitor port at --baud "
                       "(one of the program's line speeds), in %1 (default: the settings are left alone).")
            .arg(settingsFile));
    const QCommandLineOption silent(QStringLiteral("silent-monitor"),
        QStringLiteral("The monitor never answers (default: it acknowledges every frame)."));
    const QCommandLineOption rate(QStringLiteral("rate"),
        QStringLiteral("Messages per second per channel, 0 to %1; 0 = as fast as the line allows (default 1).")
            .arg(kMaxRate),
        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption baud(QStringLiteral("baud"),
        QStringLiteral("Line speed the bytes are paced at, %1 to %2 (default 9600).").arg(kMinBaud).arg(kMaxBaud),
        QStringLiteral("n"), QStringLiteral("9600"));
    const QCommandLineOption count(QStringLiteral("count"),
        QStringLiteral("Messages per channel, then stop sending (default: no limit)."), QStringLiteral("n"));
    const QCommandLineOption form(QStringLiteral("form"),
        QStringLiteral("Frame form: block, crc or mixed (default block)."), QStringLiteral("form"),
        QStringLiteral("block"));
    const QCommandLineOption corrupt(QStringLiteral("corrupt-every"),
        QStringLiteral("Every nth frame of a channel carries a bad check (default: none)."), QStringLiteral("n"));
    const QCommandLineOption split(QStringLiteral("split"),
        QStringLiteral("Write frames in pieces with small pauses (default: whole frames)."));
    const QCommandLineOption text(QStringLiteral("text"),
        QStringLiteral("Mix in text messages of types 132, 146, 155 and 158 (default: coded messages only)."));
    const QCommandLineOption alarms(QStringLiteral("alarms"),
                                    QStringLiteral("Alarm numbers used, e.g. 0-47,200 (default 0-47)."),
                                    QStringLiteral("list"), QStringLiteral("0-47"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the message choice (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption duration(QStringLiteral("duration"),
        QStringLiteral("Stop sending after this many seconds, up to %1 (default: at SIGINT or SIGTERM).")
            .arg(kMaxDuration),
        QStringLiteral("s"));
    const QCommandLineOption hold(QStringLiteral("hold"),
        QStringLiteral("Once sending has stopped, keep the lines open and answering until SIGINT or SIGTERM "
                       "(default: end after the last replies, waiting a second at most)."));
    const QCommandLineOption startDelay(QStringLiteral("start-delay"),
        QStringLiteral("Milliseconds between the program opening a line and the first message, up to %1 "
                       "(default 200).").arg(kMaxStartDelayMs),
        QStringLiteral("ms"), QStringLiteral("200"));
    const QCommandLineOption unplayed(QStringLiteral("unplayed"),
        QStringLiteral("Channels not played get a device that does not exist (missing) or no device entry "
                       "at all (omit) (default missing)."),
        QStringLiteral("how"), QStringLiteral("missing"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
        QStringLiteral("One line per frame and reply (default: the summary only)."));
    parser.addOptions({station, channels, monitor, writeSettings, silent, rate, baud, count, form, corrupt,
                       split, text, alarms, seed, duration, hold, startDelay, unplayed, verbose});
    parser.process(app);

    o.station = parser.value(station);
    if (o.station.isEmpty())
        return error = QStringLiteral("--station is required"), false;
    if (!ParseNumberList(parser.value(channels), 1, kChannels, o.channels))
        return error = QStringLiteral("--channels: a list of channels 1 to 16"), false;
    if (parser.isSet(monitor)) {
        QString name = parser.value(monitor).toUpper();
        if (name.startsWith(QLatin1String("COM")))
            name = name.mid(3);
        if (!ToInteger(name, kChannels + 1, kLastCom, o.monitorCom))
            return error = QStringLiteral("--monitor: COM17 to COM100 (COM1 to COM16 are the channels')"), false;
    }
    o.writeSettings = parser.isSet(writeSettings);
    if (o.writeSettings && !o.monitorCom)
        return error = QStringLiteral("--write-settings goes with --monitor"), false;
    o.silentMonitor = parser.isSet(silent);
    if (!ToNumber(parser.value(rate), 0, kMaxRate, o.rate))
        return error = QStringLiteral("--rate: a number from 0 to %1").arg(kMaxRate), false;
    if (!ToInteger(parser.value(baud), kMinBaud, kMaxBaud, o.baud))
        return error = QStringLiteral("--baud: a whole number from %1 to %2").arg(kMinBaud).arg(kMaxBaud), false;
    if (o.writeSettings && BaudIndex(o.baud) < 0)
        return error = QStringLiteral("--write-settings: --baud must be one of the program's line speeds"), false;
    if (parser.isSet(count) && !ToInteger(parser.value(count), 0, kMaxCount, o.count))
        return error = QStringLiteral("--count: a whole number from 0 to %1").arg(kMaxCount), false;
    using Form = SimOptions::Form;
    if (!Choose(parser.value(form), {{"block", Form::Block}, {"crc", Form::Crc}, {"mixed", Form::Mixed}}, o.form))
        return error = QStringLiteral("--form: block, crc or mixed"), false;
    if (parser.isSet(corrupt) && !ToInteger(parser.value(corrupt), 1, INT_MAX, o.corruptEvery))
        return error = QStringLiteral("--corrupt-every: a whole number from 1 to %1").arg(INT_MAX), false;
    o.split = parser.isSet(split);
    o.text = parser.isSet(text);
    if (!ParseNumberList(parser.value(alarms), 0, 255, o.alarms))
        return error = QStringLiteral("--alarms: a list of alarm numbers 0 to 255"), false;
    if (!ToInteger(parser.value(seed), 0, UINT_MAX, o.seed))
        return error = QStringLiteral("--seed: a whole number from 0 to %1").arg(UINT_MAX), false;
    if (parser.isSet(duration) && !ToNumber(parser.value(duration), 0, kMaxDuration, o.duration))
        return error = QStringLiteral("--duration: seconds, from 0 to %1").arg(kMaxDuration), false;
    o.hold = parser.isSet(hold);
    if (!ToInteger(parser.value(startDelay), 0, kMaxStartDelayMs, o.startDelayMs))
        return error = QStringLiteral("--start-delay: milliseconds, from 0 to %1").arg(kMaxStartDelayMs), false;
    using Unplayed = SimOptions::Unplayed;
    if (!Choose(parser.value(unplayed), {{"missing", Unplayed::Missing}, {"omit", Unplayed::Omit}}, o.unplayed))
        return error = QStringLiteral("--unplayed: missing or omit"), false;
    o.verbose = parser.isSet(verbose);
    return true;
}

int BaudIndex(int baud)
{
    const auto* rates = std::begin(PortTables::kBaudRates);
    const auto* found = std::find(rates, std::end(PortTables::kBaudRates), baud);
    return found == std::end(PortTables::kBaudRates) ? -1 : int(found - rates);
}
