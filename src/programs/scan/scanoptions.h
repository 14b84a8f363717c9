#pragma once

#include "engine/occupancy/hourwindows.h"
#include "engine/occupancy/occupancythreshold.h"
#include "engine/record/filerules.h"
#include "engine/record/influxtags.h"
#include "engine/record/recordformat.h"
#include "engine/record/tracewriter.h"
#include "programs/scan/alarmoptions.h"
#include "programs/scan/metricsserver.h"
#include "programs/scan/mqttoptions.h"
#include "programs/scan/planoptions.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

// Everything kvt318-scan is told on its command line.
struct ScanOptions
{
    static constexpr qint16 kDefaultThreshold = -100;

    QString port;
    // --name: the receiver's name; empty for the default, which is the adapter's USB serial
    // number, else the port's base name, or for a replay the recording's.
    QString receiverName;
    QString output = QStringLiteral("-");
    RecordFormat format = RecordFormat::Csv;
    std::optional<qint64> sweeps;
    std::optional<std::chrono::milliseconds> duration;
    // Channel number 7 to 46: measure it alone and record every reading.
    std::optional<int> channel;
    QString sampleCount = QStringLiteral("08");
    OccupancyThreshold threshold{false, kDefaultThreshold, 0};
    // Every statistic counts only the readings inside these local-time windows.
    HourWindows hours = HourWindows::always();
    QString summaryPath;
    // At the end, the hour-of-day map as CSV.
    QString hourlyPath;
    QString pngPath;
    // At the end, the survey report as a PDF.
    QString reportPath;
    bool reconnect = false;
    // A module silent this long while sweeping has stopped answering; nothing means wait forever.
    std::optional<std::chrono::milliseconds> stallTimeout = std::chrono::seconds(30);
    bool quiet = false;
    AlarmSettings alarms;
    // Also publish to this broker.
    std::optional<MqttSettings> mqtt;
    // A recording to read instead of a port, and what of it.
    QString replayPath;
    bool realtime = false;
    QString from;
    QString to;
    // A recording or summary to compare the summary with.
    QString baselinePath;
    // Records go out in a replay only when -o or --format asks for them.
    bool recordsAsked = false;
    // At the end, the frequency-planning trace.
    QString tracePath;
    TraceLevel traceLevel = TraceLevel::Max;
    // The rtl_power format's interval and the InfluxDB format's added tags.
    std::chrono::seconds integrate{1};
    InfluxTags influxTags;
    // Serve the Prometheus metrics here.
    std::optional<MetricsAddress> metrics;
    // Rotation, retention and the free-space floor of the output (and the alarm log's floor).
    static constexpr qint64 kDefaultMinFree = qint64(100) << 20;
    FileRules files{std::nullopt, std::nullopt, kDefaultMinFree};
    // At the end, the channel plan.
    PlanSettings plan;
};

namespace scanoptions {

enum class Action { Run, Help, Version, Usage, ListPorts };

struct Parsed
{
    Action action = Action::Usage;
    ScanOptions options;
    // Help: the help text; Version: the version line; Usage: the one-line error.
    QString text;
};

// Reads the arguments, program name first. A bad command line is Action::Usage.
Parsed parse(const QStringList &arguments);

// --from or --to: ISO 8601 ("2026-12-07T02:00:00Z", seconds and zone optional) or "HH:MM"
// ("HH:MM:SS") on the day of firstUtcMs, UTC; nothing when it is neither.
std::optional<qint64> parseTime(const QString &text, qint64 firstUtcMs);

} // namespace scanoptions
