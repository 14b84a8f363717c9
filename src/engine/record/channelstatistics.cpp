#include "engine/record/channelstatistics.h"
#include "core/channelplan.h"

#include "engine/protocol/reading.h"
#include "engine/record/baseline.h"
#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <tuple>

namespace {
constexpr int kMedianPercent = 50;
constexpr int kP90Percent = 90;
} // namespace

ChannelStatistics::ChannelStatistics(qint16 thresholdDbm)
    : m_threshold(thresholdDbm)
{}

void ChannelStatistics::addReading(const Reading &reading)
{
    if (reading.index < 0 || reading.index >= MonitorState::kChannelCount) {
        return;
    }
    Tally &tally = m_tallies[static_cast<std::size_t>(reading.index)];
    if (tally.samples == 0) {
        tally.min = reading.dbm;
        tally.max = reading.dbm;
    }
    ++tally.samples;
    tally.sum += reading.dbm;
    tally.levels.add(reading.dbm);
    tally.min = std::min(tally.min, reading.dbm);
    tally.max = std::max(tally.max, reading.dbm);

    ++tally.thresholdSamples;
    if (reading.dbm > m_threshold) {
        ++tally.above;
        tally.lastAboveMs = reading.utcMs;
        if (!tally.burstStartMs) {
            ++tally.bursts;
            tally.burstStartMs = reading.utcMs;
        }
        tally.longestBurstMs = std::max(tally.longestBurstMs, reading.utcMs - *tally.burstStartMs);
    } else if (tally.burstStartMs) {
        tally.longestBurstMs = std::max(tally.longestBurstMs, reading.utcMs - *tally.burstStartMs);
        tally.burstStartMs.reset();
    }
}

void ChannelStatistics::addSweep(const SweepRecord &sweep)
{
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        addReading(
            Reading{index, sweep.dbm[static_cast<std::size_t>(index)], sweep.utcMs, sweep.mode});
    }
}

void ChannelStatistics::breakBursts()
{
    for (Tally &tally : m_tallies) {
        tally.burstStartMs.reset();
    }
}

void ChannelStatistics::setThreshold(qint16 thresholdDbm)
{
    if (thresholdDbm == m_threshold) {
        return;
    }
    m_threshold = thresholdDbm;
    for (Tally &tally : m_tallies) {
        restartThresholdFigures(tally);
    }
}

void ChannelStatistics::clear()
{
    m_tallies.fill(Tally{});
}

void ChannelStatistics::restartThresholdFigures(Tally &tally)
{
    tally.thresholdSamples = 0;
    tally.above = 0;
    tally.bursts = 0;
    tally.longestBurstMs = 0;
    tally.burstStartMs.reset();
    tally.lastAboveMs.reset();
}

ChannelSummary ChannelStatistics::channel(int index) const
{
    ChannelSummary summary;
    summary.index = index;
    if (index < 0 || index >= MonitorState::kChannelCount) {
        return summary;
    }
    const Tally &tally = m_tallies[static_cast<std::size_t>(index)];
    summary.samples = tally.samples;
    summary.min = tally.min;
    summary.max = tally.max;
    if (tally.samples > 0) {
        summary.mean = static_cast<double>(tally.sum) / static_cast<double>(tally.samples);
        summary.median = tally.levels.percentile(kMedianPercent);
        summary.p90 = tally.levels.percentile(kP90Percent);
    }
    if (tally.thresholdSamples > 0) {
        summary.occupancyPct =
            100.0 * static_cast<double>(tally.above) / static_cast<double>(tally.thresholdSamples);
    }
    summary.bursts = tally.bursts;
    summary.longestBurstMs = tally.longestBurstMs;
    summary.lastAboveUtcMs = tally.lastAboveMs;
    return summary;
}

std::vector<int> ChannelStatistics::quietest(int n) const
{
    std::vector<ChannelSummary> measured;
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        if (m_tallies[static_cast<std::size_t>(i)].samples > 0) {
            measured.push_back(channel(i));
        }
    }
    std::stable_sort(measured.begin(), measured.end(),
                     [](const ChannelSummary &a, const ChannelSummary &b) {
                         return std::tie(a.occupancyPct, a.mean) < std::tie(b.occupancyPct, b.mean);
                     });
    std::vector<int> indices;
    for (const ChannelSummary &summary : measured) {
        if (static_cast<int>(indices.size()) >= n) {
            break;
        }
        indices.push_back(summary.index);
    }
    return indices;
}

namespace record {

namespace {
constexpr int kOneDecimal = 1;
constexpr int kMillisecondDecimals = 3;
constexpr double kMsPerSecond = 1000.0;

QByteArray summaryRow(const ChannelSummary &summary)
{
    QByteArray row = QByteArray::number(channelplan::channelNumber(summary.index)) + ',' +
                     channelMhz(summary.index).toLatin1() + ',' +
                     QByteArray::number(summary.samples) + ',';
    if (summary.samples > 0) {
        row += QByteArray::number(summary.min) + ',' +
               QByteArray::number(summary.mean, 'f', kOneDecimal) + ',' +
               QByteArray::number(summary.max);
    } else {
        row += ",,";
    }
    row += ',' + QByteArray::number(summary.occupancyPct, 'f', kOneDecimal) + ',' +
           QByteArray::number(summary.bursts) + ',' +
           QByteArray::number(static_cast<double>(summary.longestBurstMs) / kMsPerSecond, 'f',
                              kMillisecondDecimals) +
           ',';
    if (summary.lastAboveUtcMs) {
        row += recordTime(*summary.lastAboveUtcMs).toLatin1();
    }
    return row;
}

QByteArray levelColumns(const ChannelSummary &summary)
{
    if (summary.samples == 0) {
        return ",,";
    }
    return ',' + QByteArray::number(summary.median) + ',' + QByteArray::number(summary.p90);
}

QByteArray baselineColumns(const ChannelSummary &summary,
                           const std::optional<Baseline::Channel> &before)
{
    if (!before) {
        return ",,,,";
    }
    const auto figure = [](double value) { return QByteArray::number(value, 'f', kOneDecimal); };
    if (summary.samples == 0) {
        return ',' + figure(before->occupancyPct) + ",," + figure(before->mean) + ',';
    }
    return ',' + figure(before->occupancyPct) + ',' +
           figure(summary.occupancyPct - before->occupancyPct) + ',' + figure(before->mean) + ',' +
           figure(summary.mean - before->mean);
}
} // namespace

bool writeSummaryCsv(QIODevice &device, const ChannelStatistics &statistics,
                     const Baseline *baseline)
{
    QByteArray text("channel,mhz,samples,min,mean,max,occupancy_pct,bursts,longest_burst_s,"
                    "last_above");
    text += baseline != nullptr
                ? ",baseline_occupancy_pct,delta_occupancy_pct,baseline_mean,delta_mean"
                : "";
    // Appended last, so that readers by column position or name keep working.
    text += ",median,p90\n";
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        const ChannelSummary summary = statistics.channel(i);
        text += summaryRow(summary);
        if (baseline != nullptr) {
            text += baselineColumns(summary, baseline->channels[static_cast<std::size_t>(i)]);
        }
        text += levelColumns(summary) + '\n';
    }
    bool written = device.write(text) == text.size();
    if (auto *file = qobject_cast<QFileDevice *>(&device)) {
        written = file->flush() && written;
    }
    return written;
}

} // namespace record
