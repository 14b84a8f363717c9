#pragma once

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
};

// Per-channel figures of a run, in memory that does not grow with its length. A reading is
// occupied when it is strictly above the threshold. Changing the threshold restarts the
// figures that depend on it (occupancy, bursts, last above); samples, min, mean and max go on.
class ChannelStatistics
{
public:
    static constexpr qint16 kDefaultThreshold = -100;

    explicit ChannelStatistics(qint16 thresholdDbm = kDefaultThreshold);

    void addReading(const Reading &reading);
    // Every reading of a complete sweep at the sweep's time, as a recording holds it.
    void addSweep(const SweepRecord &sweep);
    // A gap in the readings (a port that failed and was reopened) ends every burst: what
    // happened in it is unknown.
    void breakBursts();
    void setThreshold(qint16 thresholdDbm);
    [[nodiscard]] qint16 threshold() const { return m_threshold; }
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
    };

    static void restartThresholdFigures(Tally &tally);

    qint16 m_threshold;
    std::array<Tally, MonitorState::kChannelCount> m_tallies{};
};

namespace record {

// channel,mhz,samples,min,mean,max,occupancy_pct,bursts,longest_burst_s,last_above; with a
// baseline, baseline_occupancy_pct,delta_occupancy_pct,baseline_mean,delta_mean follow, empty
// where either survey has no readings; median,p90 come last. A channel without readings leaves
// its level and time columns empty. False when the device fails.
bool writeSummaryCsv(QIODevice &device, const ChannelStatistics &statistics,
                     const Baseline *baseline = nullptr);

} // namespace record
