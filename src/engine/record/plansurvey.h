#pragma once

#include "engine/plan/planchannel.h"

class ChannelStatistics;

namespace plansurvey {

// What the run's statistics say of each channel within the hours (--hours), as the plan's
// search takes it.
PlanSurvey fromStatistics(const ChannelStatistics &statistics);

} // namespace plansurvey
