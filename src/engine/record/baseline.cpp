#include "engine/record/baseline.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/recordingreader.h"

#include <QFile>

namespace record {

namespace {

constexpr qint64 kLongestSummary = 64 * 1024;
constexpr int kChannelColumn = 0;
constexpr int kSamplesColumn = 2;
constexpr int kMeanColumn = 4;
constexpr int kOccupancyColumn = 6;
constexpr int kSummaryColumns = 10;
const QByteArray kSummaryHeader = "channel,mhz,samples,min,mean,max,occupancy_pct,";

std::optional<Baseline> summaryBaseline(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (!lines.first().startsWith(kSummaryHeader)) {
        return std::nullopt;
    }
    Baseline baseline;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> cells = lines[i].trimmed().split(',');
        if (cells.size() < kSummaryColumns) {
            continue;
        }
        bool channelOk = false;
        bool samplesOk = false;
        bool meanOk = false;
        bool occupancyOk = false;
        const int index = channelplan::channelIndex(cells[kChannelColumn].toInt(&channelOk));
        const qint64 samples = cells[kSamplesColumn].toLongLong(&samplesOk);
        const double mean = cells[kMeanColumn].toDouble(&meanOk);
        const double occupancy = cells[kOccupancyColumn].toDouble(&occupancyOk);
        if (channelOk && samplesOk && meanOk && occupancyOk && samples > 0 && index >= 0 &&
            index < channelplan::kChannelCount) {
            baseline.channels[static_cast<std::size_t>(index)] = Baseline::Channel{occupancy, mean};
        }
    }
    return baseline;
}

} // namespace

Baseline baselineOf(const ChannelStatistics &statistics)
{
    Baseline baseline;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const ChannelSummary summary = statistics.channel(index);
        if (summary.samples > 0) {
            baseline.channels[static_cast<std::size_t>(index)] =
                Baseline::Channel{summary.occupancyPct, summary.mean};
        }
    }
    return baseline;
}

BaselineRead readBaseline(const QString &path, qint16 thresholdDbm)
{
    return readBaseline(path, OccupancyThreshold{false, thresholdDbm, 0}, HourWindows::always());
}

BaselineRead readBaseline(const QString &path, const OccupancyThreshold &threshold,
                          const HourWindows &hours)
{
    BaselineRead result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = path + QLatin1String(": ") + file.errorString();
        result.openFailed = true;
        return result;
    }
    // A summary is small and starts with its own header; anything else may be a recording.
    if (const auto summary = summaryBaseline(file.peek(kLongestSummary))) {
        result.baseline = summary;
        return result;
    }
    const RecordingRead read = RecordingReader::read(file, path);
    if (read.status != RecordingRead::Status::Read) {
        result.error = read.status == RecordingRead::Status::NotRecording
                           ? path + QStringLiteral(": neither a recording nor a summary of kvt318")
                           : read.error;
        return result;
    }
    ChannelStatistics statistics(threshold, hours);
    addRows(statistics, read.recording, 0, read.recording.rows());
    result.baseline = baselineOf(statistics);
    return result;
}

} // namespace record
