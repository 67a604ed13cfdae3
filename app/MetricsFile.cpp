#include "app/MetricsFile.h"

#include "archive/DiskSpace.h"
#include "core/SettingsKeys.h"
#include "core/Strings.h"
#include "core/SettingsStore.h"
#include "core/StationHealth.h"
#include "core/UserMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace {

// A label value: backslash, double quote and line feed escaped, as the format asks.
QByteArray LabelValue(const QString& value)
{
    QByteArray escaped;
    for (const char c : value.toUtf8()) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        if (c == '\n') {
            escaped += "\\n";
            continue;
        }
        escaped += c;
    }
    return escaped;
}

class Family
{
public:
    Family(QByteArray& text, const char* name, const char* type, const char* help)
        : m_text(text)
        , m_name(name)
    {
        m_text += "# HELP " + m_name + ' ' + help + "\n# TYPE " + m_name + ' ' + type + '\n';
    }
    void Sample(const QByteArray& labels, double value)
    {
        m_text += m_name;
        if (!labels.isEmpty())
            m_text += '{' + labels + '}';
        m_text += ' ' + QByteArray::number(value, 'g', 15) + '\n';
    }

private:
    QByteArray& m_text;
    QByteArray m_name;
};

} // namespace

MetricsFile::MetricsFile(const QString& path, ChannelName name, const QString& stationDir)
{
    auto failed = std::make_shared<bool>(false);
    m_worker = std::make_unique<PeriodicWorker>(
        std::chrono::milliseconds(kIntervalMs), [path, name = std::move(name), stationDir, failed] {
            const QString error = Write(path, Text(name, stationDir));
            if (!error.isEmpty() && !*failed) {
                UserMessages().MessageBeep(IUserMessages::Beep::Exclamation);
                UserMessages().MessageBox(QString::fromLatin1(Str::kMetricsWriteFailed).arg(path, error),
                                          IUserMessages::Buttons::Ok, IUserMessages::Icon::Exclamation);
            }
            *failed = !error.isEmpty();
        },
        PeriodicWorker::AtEnd::RunOnceMore);
}

MetricsFile::~MetricsFile() = default;

QString MetricsFile::ConfiguredPath()
{
    const QString key = QLatin1String(Str::kSectionMetrics) + QLatin1Char('/') + QLatin1String(Str::kMetricsFileKey);
    const QString file = ProfileStore().contains(key) ? ProfileStore().value(key).toString().trimmed()
                                                      : QString::fromLatin1(Str::kDefaultMetricsFile);
    return file.isEmpty() ? QString() : QDir::cleanPath(QDir::current().absoluteFilePath(file));
}

QByteArray MetricsFile::Text(const ChannelName& name, const QString& stationDir)
{
    QByteArray text;
    QList<int> channels;
    QList<QByteArray> labels;
    for (int n = 1; n <= StationHealth::kChannels; ++n) {
        if (!StationHealth::Channel(n).assigned)
            continue;
        channels.append(n);
        labels.append("channel=\"" + QByteArray::number(n) + "\",name=\"" + LabelValue(name(n)) + '"');
    }
    const auto perChannel = [&](const char* family, const char* type, const char* help,
                                const std::function<double(const ChannelHealth&)>& value) {
        Family f(text, family, type, help);
        for (int i = 0; i < channels.size(); ++i)
            f.Sample(labels[i], value(StationHealth::Channel(channels[i])));
    };
    perChannel("quorvel_line_up", "gauge", "Whether the channel's line is open (1) or not (0).",
               [](const ChannelHealth& c) { return c.up ? 1.0 : 0.0; });
    {
        Family f(text, "quorvel_frames_total", "counter",
                 "Frames received: ack accepted (probes included), nak refused, bad CRC frames dropped.");
        for (int i = 0; i < channels.size(); ++i) {
            const ChannelHealth& c = StationHealth::Channel(channels[i]);
            f.Sample(labels[i] + ",result=\"ack\"", double(c.framesAck.load()));
            f.Sample(labels[i] + ",result=\"nak\"", double(c.framesNak.load()));
            f.Sample(labels[i] + ",result=\"bad\"", double(c.framesBad.load()));
        }
    }
    perChannel("quorvel_records_total", "counter", "Records archived.",
               [](const ChannelHealth& c) { return double(c.records.load()); });
    {
        Family f(text, "quorvel_last_frame_timestamp_seconds", "gauge", "When the last frame came (Unix time).");
        for (int i = 0; i < channels.size(); ++i) {
            const qint64 last = StationHealth::Channel(channels[i]).lastFrameMs;
            if (last > 0)
                f.Sample(labels[i], double(last) / 1000.0);
        }
    }
    perChannel("quorvel_records_lost_total", "counter", "Messages acknowledged but neither archived nor listed.",
               [](const ChannelHealth& c) { return double(c.recordsLost.load()); });
    perChannel("quorvel_archive_write_errors_total", "counter", "Failed writes to the channel's archive.",
               [](const ChannelHealth& c) { return double(c.archiveWriteErrors.load()); });

    const DiskFigures disk = QueryDiskFigures(stationDir);
    if (disk.valid && disk.total > 0) {
        Family(text, "quorvel_disk_free_ratio", "gauge", "Share of the station's disk free for the station.")
            .Sample({}, double(disk.available) / double(disk.total));
    }
    Family(text, "quorvel_stdout_lines_dropped_total", "counter", "Event lines standard output's reader did not take in time.")
        .Sample({}, double(StationHealth::StdoutLinesDropped().load()));
    Family(text, "quorvel_ui_stall_seconds_max", "gauge", "The longest the user-interface thread was held.")
        .Sample({}, double(StationHealth::UiStallMaxNs().load()) / 1e9);
    Family(text, "quorvel_start_time_seconds", "gauge", "When the station started (Unix time).")
        .Sample({}, double(StationHealth::StartMs().load()) / 1000.0);
    return text;
}

QString MetricsFile::Write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // QSaveFile writes a temporary file beside the target and renames it over the target on commit.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return file.errorString();
    return {};
}
