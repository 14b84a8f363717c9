#pragma once

#include "engine/occupancy/hourofdaymap.h"
#include "engine/occupancy/hourwindows.h"
#include "engine/occupancy/localclock.h"
#include "engine/occupancy/noisefloor.h"
#include "engine/occupancy/occupancythreshold.h"
#include "engine/occupancy/proportioninterval.h"
#include "engine/protocol/monitorstate.h"
#include "engine/record/levelhistogram.h"

#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

class QIODevice;
struct Baseline;
struct Reading;
struct SweepRecord;

// What a run has seen on one channel. Levels are dBm; times UTC milliseconds since the epoch.
struct ChannelSummary
{
    int index = 0;
    qint64 samples = 0;
    qint16 min = 0;
    qint16 max = 0;
    double mean = 0.0;
    qint16 median = 0;
    qint16 p90 = 0;
    // Share of readings above the threshold, 0 to 100.
    double occupancyPct = 0.0;
    // Runs of consecutive readings above the threshold.
    qint64 bursts = 0;
    // From a burst's first reading to the first reading below it, or to its latest reading
    // while it lasts.
    qint64 longestBurstMs = 0;
    std::optional<qint64> lastAboveUtcMs;
    // The occupancy's 95 % interval from the effectively independent readings, 0 to 100.
    double occupancyLowPct = 0.0;
    double occupancyHighPct = 100.0;
    double effectiveSamples = 0.0;
    // Readings counted for the occupancy: inside the hours, since the threshold was set.
    qint64 hourSamples = 0;
    std::optional<int> busyHour; // 0 to 23, local time
    double busyHourOccupancyPct = 0.0;
    // With a noise-relative threshold: the mean of the floors the readings were held against.
    std::optional<double> noiseFloorDbm;
    // The mean time between two readings of the channel; 0 before there are two.
    qint64 revisitMs = 0;
    // The shortest burst that ended, measured as bursts are; 0 when none did.
    qint64 shortestBurstMs = 0;
};

// Per-channel figures of a run, in memory that does not grow with its length. A reading is
// occupied when it is strictly above the threshold: a level, or a margin over the channel's
// noise floor as the alarms estimate it. Only readings inside the hours count; one outside ends
// a burst as a gap does. Changing the threshold restarts the figures that depend on it
// (occupancy, its interval and hour map, bursts, last above); samples, min, mean and max go on.
// Changing the hours restarts them all.
class ChannelStatistics
{
public:
    static constexpr qint16 kDefaultThreshold = -100;

    explicit ChannelStatistics(qint16 thresholdDbm = kDefaultThreshold);
    explicit ChannelStatistics(const OccupancyThreshold &threshold,
                               const HourWindows &hours = HourWindows::always());

    void addReading(const Reading &reading);
    // Every reading of a complete sweep at the sweep's time, as a recording holds it.
    void addSweep(const SweepRecord &sweep);
    // A gap in the readings (a port that failed and was reopened) ends every burst: what
    // happened in it is unknown.
    void breakBursts();
    void setThreshold(qint16 thresholdDbm);
    void setThreshold(const OccupancyThreshold &threshold);
    // The absolute level; with a noise-relative threshold, the level it was before.
    [[nodiscard]] qint16 threshold() const { return m_threshold.dbm; }
    [[nodiscard]] OccupancyThreshold occupancyThreshold() const { return m_threshold; }
    void setHours(const HourWindows &hours);
    [[nodiscard]] const HourWindows &hours() const { return m_hours; }
    [[nodiscard]] const HourOfDayMap &hourMap() const { return m_hourMap; }
    // The first and last reading seen, inside the hours or not.
    [[nodiscard]] std::optional<qint64> firstUtcMs() const { return m_firstUtcMs; }
    [[nodiscard]] std::optional<qint64> lastUtcMs() const { return m_lastUtcMs; }
    void clear();

    [[nodiscard]] ChannelSummary channel(int index) const;
    // Up to n channel indices with readings, lowest occupancy first, then lowest mean.
    [[nodiscard]] std::vector<int> quietest(int n) const;

private:
    struct Tally
    {
        qint64 samples = 0;
        qint64 sum = 0;
        qint16 min = 0;
        qint16 max = 0;
        LevelHistogram levels;
        qint64 thresholdSamples = 0;
        qint64 above = 0;
        qint64 bursts = 0;
        qint64 longestBurstMs = 0;
        std::optional<qint64> burstStartMs;
        std::optional<qint64> lastAboveMs;
        std::optional<qint64> shortestBurstMs;
        BusyTransitions transitions;
        // The reading before, while the readings follow one another.
        std::optional<bool> previousBusy;
        std::optional<qint64> previousMs;
        qint64 revisitSumMs = 0;
        qint64 revisits = 0;
        double floorSum = 0.0;
    };

    void seen(qint64 utcMs);
    void add(int index, qint16 dbm, qint64 utcMs, int minuteOfWeek);
    void restartThresholdFigures();
    static void endRun(Tally &tally);

    OccupancyThreshold m_threshold;
    HourWindows m_hours = HourWindows::always();
    LocalClock m_clock;
    std::array<Tally, MonitorState::kChannelCount> m_tallies{};
    HourOfDayMap m_hourMap;
    // Only with a noise-relative threshold.
    std::vector<NoiseFloor> m_floors;
    std::optional<qint64> m_firstUtcMs;
    std::optional<qint64> m_lastUtcMs;
};

namespace record {

// channel,mhz,samples,min,mean,max,occupancy_pct,bursts,longest_burst_s,last_above; with a
// baseline, baseline_occupancy_pct,delta_occupancy_pct,baseline_mean,delta_mean follow, empty
// where either survey has no readings; median,p90 follow, then occupancy_low_pct,
// occupancy_high_pct,effective_samples,busy_hour,busy_hour_occupancy_pct and, with a
// noise-relative threshold, noise_floor_dbm. A channel without readings leaves its level, time
// and interval columns empty. False when the device fails.
bool writeSummaryCsv(QIODevice &device, const ChannelStatistics &statistics,
                     const Baseline *baseline = nullptr);

// The hour-of-day map: channel,mhz,day,h00,...,h23 with one row per channel and day type
// (weekday, weekend), each cell the occupancy in percent of that local hour, empty without
// readings. False when the device fails.
bool writeHourlyCsv(QIODevice &device, const ChannelStatistics &statistics);

} // namespace record
