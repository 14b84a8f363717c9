#pragma once

#include "core/optiontable.h"
#include "engine/plan/planconstraints.h"

#include <QString>

#include <optional>

// What kvt318-scan is asked to plan at the end of a run.
struct PlanSettings
{
    // Set by --plan: the plan's size and what it must meet.
    std::optional<PlanConstraints> constraints;
    // The reasons as CSV, or JSON when the name ends in .json.
    QString outPath;
};

// The --plan options of kvt318-scan.
namespace planoptions {

QList<OptionRow> rows(PlanSettings &settings);

} // namespace planoptions
