#include "engine/record/plansurvey.h"

#include "engine/record/channelstatistics.h"

namespace plansurvey {

PlanSurvey fromStatistics(const ChannelStatistics &statistics)
{
    PlanSurvey survey{};
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const ChannelSummary summary = statistics.channel(index);
        PlanChannel &channel = survey[static_cast<std::size_t>(index)];
        // A channel never read within the hours that matter is unknown there, not quiet.
        channel.measured = summary.hourSamples > 0;
        channel.occupancyPct = summary.occupancyPct;
        channel.occupancyLowPct = summary.occupancyLowPct;
        channel.occupancyHighPct = summary.occupancyHighPct;
        channel.busyHour = summary.busyHour;
        channel.maxDbm = summary.max;
        channel.meanDbm = summary.mean;
    }
    return survey;
}

} // namespace plansurvey
