#include "programs/scan/plansurvey.h"

#include "engine/record/channelstatistics.h"

#include <algorithm>
#include <cmath>

namespace plansurvey {

namespace {

constexpr double kZ95 = 1.959964;
constexpr double kPercent = 100.0;

// The 95 % Wilson score interval of an occupancy, in percent; {0, 100} without readings.
std::pair<double, double> wilsonPct(double occupancyPct, qint64 samples)
{
    if (samples <= 0) {
        return {0.0, kPercent};
    }
    const double n = static_cast<double>(samples);
    const double p = occupancyPct / kPercent;
    const double z2 = kZ95 * kZ95;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = kZ95 * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / (1 + z2 / n);
    return {std::max(0.0, centre - half) * kPercent, std::min(1.0, centre + half) * kPercent};
}

} // namespace

PlanSurvey fromStatistics(const ChannelStatistics &statistics)
{
    PlanSurvey survey{};
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const ChannelSummary summary = statistics.channel(index);
        PlanChannel &channel = survey[static_cast<std::size_t>(index)];
        channel.measured = summary.samples > 0;
        channel.occupancyPct = summary.occupancyPct;
        const auto [low, high] = wilsonPct(summary.occupancyPct, summary.samples);
        channel.occupancyLowPct = low;
        channel.occupancyHighPct = high;
        channel.maxDbm = summary.max;
        channel.meanDbm = summary.mean;
    }
    return survey;
}

} // namespace plansurvey
