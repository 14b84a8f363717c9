#pragma once

#include "engine/plan/planchannel.h"

class ChannelStatistics;

namespace plansurvey {

// What the statistics say of each channel within the hours they count, as the plan's
// search takes it.
PlanSurvey fromStatistics(const ChannelStatistics &statistics);

} // namespace plansurvey
