#pragma once

#include "engine/plan/planchannel.h"

class ChannelStatistics;

namespace plansurvey {

// What the run's statistics say of each channel, as the plan's search takes it.
PlanSurvey fromStatistics(const ChannelStatistics &statistics);

} // namespace plansurvey
