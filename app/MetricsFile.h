#pragma once
#include "app/PeriodicWorker.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>

// The station's health figures in the Prometheus text format, written every 15 s to a file (by
// default STATION/metrics/quorvel.prom) for a collector that reads text files, or any scraper;
// the station opens no network port for it. Each write goes to a temporary file beside it that
// is then renamed, so a reader never sees half a file. A thread of its own writes: a slow or
// stalled disk holds up nothing else. A write that fails is reported once, until one succeeds. The
// figures are written once more as the writer goes, the station's last word.
class MetricsFile
{
public:
    static constexpr int kIntervalMs = 15000;

    // Channel n's name now, for the labels (called on the writer's thread; must be safe there).
    using ChannelName = std::function<QString(int channel)>;

    MetricsFile(const QString& path, ChannelName name, const QString& stationDir);
    ~MetricsFile();

    // The file the settings name ([Metrics] File, relative to the station directory): the default
    // when the value is missing, empty when it is set empty (no file).
    static QString ConfiguredPath();
    // The figures as they stand, in the text format.
    static QByteArray Text(const ChannelName& name, const QString& stationDir);
    // Writes the text to path through a temporary file; an empty string, or why it failed.
    static QString Write(const QString& path, const QByteArray& text);

private:
    std::unique_ptr<PeriodicWorker> m_worker;
};
