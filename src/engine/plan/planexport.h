#pragma once

#include "engine/plan/planchannel.h"

class QIODevice;
struct PlanReport;

namespace plan {

// One row per channel 7-46: channel,mhz,verdict,reason,occupancy_pct,occupancy_low_pct,
// occupancy_high_pct,busy_hour,max_dbm,mean_dbm,strong_distance; reasons joined by "; ", a
// figure left empty where the channel has none. False when the device fails.
bool writeCsv(QIODevice &device, const PlanReport &report, const PlanSurvey &survey);
// The same as one JSON object, with what was asked, whether it was met, the plan, the spares
// and what binds.
bool writeJson(QIODevice &device, const PlanReport &report, const PlanSurvey &survey);

} // namespace plan
