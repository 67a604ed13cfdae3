#include "SimOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <initializer_list>
#include <utility>

namespace {

constexpr int kChannels = 16;

bool ToNumber(const QString& text, double min, double& value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && value >= min;
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
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays the remote alarm systems on the channels' lines and the remote monitoring device, on "
        "pseudo-terminals, and writes the station's port map for them. Channel n is COMn. Prints "
        "\"ready\" once the lines exist; a line starts sending once the program has opened it. On "
        "SIGINT, SIGTERM or the end of --duration it prints one summary line per channel, a total and "
        "the monitor's line. A block-check message holding the byte 03 goes out in the CRC form instead: "
        "the block form cannot carry that byte safely."));
    parser.addHelpOption();
    const QCommandLineOption station(QStringLiteral("station"), QStringLiteral("Station directory."),
                                     QStringLiteral("dir"));
    const QCommandLineOption channels(QStringLiteral("channels"),
                                      QStringLiteral("Channels played, e.g. 1-16 or 1,4,7 (default 1-16)."),
                                      QStringLiteral("list"), QStringLiteral("1-16"));
    const QCommandLineOption monitor(QStringLiteral("monitor"),
                                     QStringLiteral("Play the remote monitor on this COM port (COM17 ...)."),
                                     QStringLiteral("COMn"));
    const QCommandLineOption writeSettings(QStringLiteral("write-settings"),
        QStringLiteral("Store the remote monitor settings record, enabled for the --monitor port."));
    const QCommandLineOption silent(QStringLiteral("silent-monitor"), QStringLiteral("The monitor never answers."));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("Messages per second per channel; 0 = as fast as the line allows."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Line speed the bytes are paced at."),
                                  QStringLiteral("n"), QStringLiteral("9600"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Messages per channel, then stop sending."), QStringLiteral("n"));
    const QCommandLineOption form(QStringLiteral("form"), QStringLiteral("Frame form: block, crc or mixed."),
                                  QStringLiteral("form"), QStringLiteral("block"));
    const QCommandLineOption corrupt(QStringLiteral("corrupt-every"),
                                     QStringLiteral("Every nth frame of a channel carries a bad check."),
                                     QStringLiteral("n"));
    const QCommandLineOption split(QStringLiteral("split"),
                                   QStringLiteral("Write frames in pieces with small pauses."));
    const QCommandLineOption text(QStringLiteral("text"),
                                  QStringLiteral("Mix in text messages of types 132, 146, 155 and 158."));
    const QCommandLineOption alarms(QStringLiteral("alarms"),
                                    QStringLiteral("Alarm numbers used, e.g. 0-47,200 (default 0-47)."),
                                    QStringLiteral("list"), QStringLiteral("0-47"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the message choice."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Stop after this many seconds."), QStringLiteral("s"));
    const QCommandLineOption startDelay(QStringLiteral("start-delay"),
        QStringLiteral("Milliseconds between the program opening a line and the first message (default 200)."),
        QStringLiteral("ms"), QStringLiteral("200"));
    const QCommandLineOption unplayed(QStringLiteral("unplayed"),
        QStringLiteral("Channels not played get a device that does not exist (missing, the default) or "
                       "no device entry at all (omit)."),
        QStringLiteral("how"), QStringLiteral("missing"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("One line per frame and reply."));
    parser.addOptions({station, channels, monitor, writeSettings, silent, rate, baud, count, form, corrupt,
                       split, text, alarms, seed, duration, startDelay, unplayed, verbose});
    parser.process(app);

    double number = 0;
    o.station = parser.value(station);
    if (o.station.isEmpty())
        return error = QStringLiteral("--station is required"), false;
    if (!ParseNumberList(parser.value(channels), 1, kChannels, o.channels))
        return error = QStringLiteral("--channels: a list of channels 1 to 16"), false;
    if (parser.isSet(monitor)) {
        QString name = parser.value(monitor).toUpper();
        if (name.startsWith(QLatin1String("COM")))
            name = name.mid(3);
        bool ok = false;
        o.monitorCom = name.toInt(&ok);
        if (!ok || o.monitorCom <= kChannels || o.monitorCom > 100)
            return error = QStringLiteral("--monitor: COM17 to COM100 (COM1 to COM16 are the channels')"), false;
    }
    o.writeSettings = parser.isSet(writeSettings);
    if (o.writeSettings && !o.monitorCom)
        return error = QStringLiteral("--write-settings goes with --monitor"), false;
    o.silentMonitor = parser.isSet(silent);
    if (!ToNumber(parser.value(rate), 0, o.rate))
        return error = QStringLiteral("--rate: a number of 0 or more"), false;
    if (!ToNumber(parser.value(baud), 50, number))
        return error = QStringLiteral("--baud: a line speed"), false;
    o.baud = int(number);
    if (parser.isSet(count)) {
        if (!ToNumber(parser.value(count), 0, number))
            return error = QStringLiteral("--count: a number of 0 or more"), false;
        o.count = qint64(number);
    }
    using Form = SimOptions::Form;
    if (!Choose(parser.value(form), {{"block", Form::Block}, {"crc", Form::Crc}, {"mixed", Form::Mixed}}, o.form))
        return error = QStringLiteral("--form: block, crc or mixed"), false;
    if (parser.isSet(corrupt)) {
        if (!ToNumber(parser.value(corrupt), 1, number))
            return error = QStringLiteral("--corrupt-every: a number of 1 or more"), false;
        o.corruptEvery = int(number);
    }
    o.split = parser.isSet(split);
    o.text = parser.isSet(text);
    if (!ParseNumberList(parser.value(alarms), 0, 255, o.alarms))
        return error = QStringLiteral("--alarms: a list of alarm numbers 0 to 255"), false;
    bool ok = false;
    o.seed = parser.value(seed).toUInt(&ok);
    if (!ok)
        return error = QStringLiteral("--seed: a whole number"), false;
    if (parser.isSet(duration) && !ToNumber(parser.value(duration), 0, o.duration))
        return error = QStringLiteral("--duration: seconds"), false;
    if (!ToNumber(parser.value(startDelay), 0, number))
        return error = QStringLiteral("--start-delay: milliseconds"), false;
    o.startDelayMs = int(number);
    using Unplayed = SimOptions::Unplayed;
    if (!Choose(parser.value(unplayed), {{"missing", Unplayed::Missing}, {"omit", Unplayed::Omit}}, o.unplayed))
        return error = QStringLiteral("--unplayed: missing or omit"), false;
    o.verbose = parser.isSet(verbose);
    return true;
}
