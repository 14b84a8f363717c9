#pragma once

#include "core/channelplan.h"

#include <QString>

#include <array>
#include <optional>

class ChannelStatistics;
class HourWindows;
struct OccupancyThreshold;

// Another survey's figures to compare with: each channel's occupancy and mean level.
struct Baseline
{
    struct Channel
    {
        double occupancyPct = 0.0;
        double mean = 0.0;
    };

    // Empty for a channel the other survey did not measure.
    std::array<std::optional<Channel>, channelplan::kChannelCount> channels{};
};

namespace record {

struct BaselineRead
{
    std::optional<Baseline> baseline;
    // One line naming the file when there is no baseline.
    QString error;
    // True when the file could not be opened at all, as against not being a survey.
    bool openFailed = false;
};

Baseline baselineOf(const ChannelStatistics &statistics);
// A summary CSV that --summary wrote, or a recording counted at this threshold.
BaselineRead readBaseline(const QString &path, qint16 thresholdDbm);
// A recording counted as a run's statistics are: this threshold, these hours.
BaselineRead readBaseline(const QString &path, const OccupancyThreshold &threshold,
                          const HourWindows &hours);

} // namespace record
