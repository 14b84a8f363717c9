#pragma once

#include "core/channelplan.h"

#include <QtGlobal>

#include <array>
#include <optional>

// What the survey says of one channel, as far as a plan needs it. Occupancies are percentages
// of the readings within the hours that matter, with their 95 % interval.
struct PlanChannel
{
    bool measured = false;
    double occupancyPct = 0.0;
    double occupancyLowPct = 0.0;
    double occupancyHighPct = 100.0;
    std::optional<int> busyHour;
    qint16 maxDbm = 0;
    double meanDbm = 0.0;
};

using PlanSurvey = std::array<PlanChannel, channelplan::kChannelCount>;
