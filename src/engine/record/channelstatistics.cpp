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
constexpr double kPercent = 100.0;
// Readings further apart than this are a gap, not a revisit.
constexpr qint64 kLongestRevisitMs = qint64(60) * 1000;
} // namespace

ChannelStatistics::ChannelStatistics(qint16 thresholdDbm)
    : ChannelStatistics(OccupancyThreshold{false, thresholdDbm, 0})
{}

ChannelStatistics::ChannelStatistics(const OccupancyThreshold &threshold, const HourWindows &hours)
    : m_threshold(threshold)
    , m_hours(hours)
{
    if (m_threshold.noiseRelative) {
        m_floors.resize(MonitorState::kChannelCount);
    }
}

void ChannelStatistics::addReading(const Reading &reading)
{
    if (reading.index < 0 || reading.index >= MonitorState::kChannelCount) {
        return;
    }
    seen(reading.utcMs);
    add(reading.index, reading.dbm, reading.utcMs, m_clock.minuteOfWeek(reading.utcMs));
}

void ChannelStatistics::seen(qint64 utcMs)
{
    m_firstUtcMs = m_firstUtcMs ? std::min(*m_firstUtcMs, utcMs) : utcMs;
    m_lastUtcMs = m_lastUtcMs ? std::max(*m_lastUtcMs, utcMs) : utcMs;
}

void ChannelStatistics::addSweep(const SweepRecord &sweep)
{
    // One look at the clock for the sweep's forty readings.
    seen(sweep.utcMs);
    const int minute = m_clock.minuteOfWeek(sweep.utcMs);
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        add(index, sweep.dbm[static_cast<std::size_t>(index)], sweep.utcMs, minute);
    }
}

void ChannelStatistics::add(int index, qint16 dbm, qint64 utcMs, int minuteOfWeek)
{
    Tally &tally = m_tallies[static_cast<std::size_t>(index)];
    double threshold = m_threshold.dbm;
    if (m_threshold.noiseRelative) {
        // The floor follows every reading, so that it is known when the hours begin.
        NoiseFloor &floor = m_floors[static_cast<std::size_t>(index)];
        floor.add(utcMs, dbm);
        threshold = floor.median() + m_threshold.db;
    }
    if (!m_hours.containsMinute(minuteOfWeek)) {
        endRun(tally);
        return;
    }
    if (tally.samples == 0) {
        tally.min = dbm;
        tally.max = dbm;
    }
    ++tally.samples;
    tally.sum += dbm;
    tally.levels.add(dbm);
    tally.min = std::min(tally.min, dbm);
    tally.max = std::max(tally.max, dbm);

    const bool busy = dbm > threshold;
    ++tally.thresholdSamples;
    tally.floorSum += threshold - m_threshold.db;
    if (tally.previousBusy) {
        tally.transitions.add(*tally.previousBusy, busy);
    }
    tally.previousBusy = busy;
    if (tally.previousMs && utcMs > *tally.previousMs &&
        utcMs - *tally.previousMs <= kLongestRevisitMs) {
        tally.revisitSumMs += utcMs - *tally.previousMs;
        ++tally.revisits;
    }
    tally.previousMs = utcMs;
    m_hourMap.add(index, LocalClock::hourOf(minuteOfWeek),
                  LocalClock::isWeekend(minuteOfWeek) ? DayType::Weekend : DayType::Weekday, busy);

    if (busy) {
        ++tally.above;
        tally.lastAboveMs = utcMs;
        if (!tally.burstStartMs) {
            ++tally.bursts;
            tally.burstStartMs = utcMs;
        }
        tally.longestBurstMs = std::max(tally.longestBurstMs, utcMs - *tally.burstStartMs);
    } else if (tally.burstStartMs) {
        const qint64 length = utcMs - *tally.burstStartMs;
        tally.longestBurstMs = std::max(tally.longestBurstMs, length);
        tally.shortestBurstMs =
            tally.shortestBurstMs ? std::min(*tally.shortestBurstMs, length) : length;
        tally.burstStartMs.reset();
    }
}

void ChannelStatistics::endRun(Tally &tally)
{
    tally.burstStartMs.reset();
    tally.previousBusy.reset();
    tally.previousMs.reset();
}

void ChannelStatistics::breakBursts()
{
    for (Tally &tally : m_tallies) {
        endRun(tally);
    }
}

void ChannelStatistics::setThreshold(qint16 thresholdDbm)
{
    setThreshold(OccupancyThreshold{false, thresholdDbm, 0});
}

void ChannelStatistics::setThreshold(const OccupancyThreshold &threshold)
{
    if (threshold == m_threshold) {
        return;
    }
    m_threshold = threshold;
    if (!m_threshold.noiseRelative) {
        m_floors.clear();
    } else if (m_floors.empty()) {
        m_floors.resize(MonitorState::kChannelCount);
    }
    restartThresholdFigures();
}

void ChannelStatistics::setHours(const HourWindows &hours)
{
    if (hours == m_hours) {
        return;
    }
    m_hours = hours;
    m_tallies.fill(Tally{});
    m_hourMap.clear();
}

void ChannelStatistics::clear()
{
    m_tallies.fill(Tally{});
    m_hourMap.clear();
    for (NoiseFloor &floor : m_floors) {
        floor = NoiseFloor();
    }
    m_firstUtcMs.reset();
    m_lastUtcMs.reset();
}

void ChannelStatistics::restartThresholdFigures()
{
    for (Tally &tally : m_tallies) {
        tally.thresholdSamples = 0;
        tally.above = 0;
        tally.bursts = 0;
        tally.longestBurstMs = 0;
        tally.burstStartMs.reset();
        tally.lastAboveMs.reset();
        tally.shortestBurstMs.reset();
        tally.transitions = BusyTransitions();
        tally.previousBusy.reset();
        tally.floorSum = 0.0;
    }
    m_hourMap.clear();
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
    summary.hourSamples = tally.thresholdSamples;
    if (tally.thresholdSamples > 0) {
        const double share =
            static_cast<double>(tally.above) / static_cast<double>(tally.thresholdSamples);
        summary.occupancyPct = kPercent * share;
        summary.effectiveSamples =
            effectiveSamples(tally.thresholdSamples, tally.transitions.lag1());
        const ProportionInterval interval =
            wilsonInterval(share * summary.effectiveSamples, summary.effectiveSamples);
        summary.occupancyLowPct = kPercent * interval.low;
        summary.occupancyHighPct = kPercent * interval.high;
        if (m_threshold.noiseRelative) {
            summary.noiseFloorDbm = tally.floorSum / static_cast<double>(tally.thresholdSamples);
        }
    }
    if (const auto busy = m_hourMap.busyHour(index)) {
        summary.busyHour = busy->hour;
        summary.busyHourOccupancyPct = busy->occupancyPct;
    }
    summary.bursts = tally.bursts;
    summary.longestBurstMs = tally.longestBurstMs;
    summary.lastAboveUtcMs = tally.lastAboveMs;
    summary.shortestBurstMs = tally.shortestBurstMs.value_or(0);
    summary.revisitMs = tally.revisits > 0 ? tally.revisitSumMs / tally.revisits : 0;
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

// The interval, the effective count and the busy hour; the floor with a noise-relative threshold.
QByteArray occupancyColumns(const ChannelSummary &summary, bool noiseRelative)
{
    QByteArray cells;
    if (summary.hourSamples > 0) {
        cells += ',' + QByteArray::number(summary.occupancyLowPct, 'f', kOneDecimal) + ',' +
                 QByteArray::number(summary.occupancyHighPct, 'f', kOneDecimal) + ',' +
                 QByteArray::number(summary.effectiveSamples, 'f', kOneDecimal);
    } else {
        cells += ",,,";
    }
    cells += summary.busyHour
                 ? ',' + QByteArray::number(*summary.busyHour) + ',' +
                       QByteArray::number(summary.busyHourOccupancyPct, 'f', kOneDecimal)
                 : QByteArray(",,");
    if (noiseRelative) {
        cells += ',' + (summary.noiseFloorDbm
                            ? QByteArray::number(*summary.noiseFloorDbm, 'f', kOneDecimal)
                            : QByteArray());
    }
    return cells;
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

bool written(QIODevice &device, const QByteArray &text)
{
    bool done = device.write(text) == text.size();
    if (auto *file = qobject_cast<QFileDevice *>(&device)) {
        done = file->flush() && done;
    }
    return done;
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
    const bool noiseRelative = statistics.occupancyThreshold().noiseRelative;
    text += ",median,p90,occupancy_low_pct,occupancy_high_pct,effective_samples,busy_hour,"
            "busy_hour_occupancy_pct";
    text += noiseRelative ? ",noise_floor_dbm\n" : "\n";
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        const ChannelSummary summary = statistics.channel(i);
        text += summaryRow(summary);
        if (baseline != nullptr) {
            text += baselineColumns(summary, baseline->channels[static_cast<std::size_t>(i)]);
        }
        text += levelColumns(summary) + occupancyColumns(summary, noiseRelative) + '\n';
    }
    return written(device, text);
}

bool writeHourlyCsv(QIODevice &device, const ChannelStatistics &statistics)
{
    QByteArray text("channel,mhz,day");
    for (int hour = 0; hour < HourOfDayMap::kHours; ++hour) {
        text += ",h" + QByteArray::number(hour).rightJustified(2, '0');
    }
    text += '\n';
    const HourOfDayMap &map = statistics.hourMap();
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        for (const DayType day : {DayType::Weekday, DayType::Weekend}) {
            text += QByteArray::number(channelplan::channelNumber(i)) + ',' +
                    channelMhz(i).toLatin1() + (day == DayType::Weekday ? ",weekday" : ",weekend");
            for (int hour = 0; hour < HourOfDayMap::kHours; ++hour) {
                text += ',';
                if (const auto pct = map.occupancyPct(i, day, hour)) {
                    text += QByteArray::number(*pct, 'f', kOneDecimal);
                }
            }
            text += '\n';
        }
    }
    return written(device, text);
}

} // namespace record
