#pragma once

#include "engine/survey/sweepsource.h"

// kvt318-scan's exit statuses, as --help and the manual page list them.
namespace exitcodes {

constexpr int kFinished = 0;
// The output, summary, trace, image or alarm log could not be written.
constexpr int kWriteFailed = 1;
constexpr int kBadUsage = 2;
// The port, the replayed recording or the baseline cannot be opened.
constexpr int kCannotOpen = 3;
// No supported module answered; the replayed or baseline file is not a recording.
constexpr int kNotUnderstood = 4;
// The port failed or the module stopped answering.
constexpr int kPortFailed = 5;
constexpr int kBrokerRefused = 6;
constexpr int kMetricsFailed = 7;
// --plan N: N channels cannot meet the constraints; the largest plan that can is reported.
constexpr int kPlanShort = 8;
// --report: no sweep, or none inside the span and the hours; no report is written.
constexpr int kNothingToReport = 9;

constexpr int of(SourceEnd::Kind kind)
{
    switch (kind) {
    case SourceEnd::Kind::Done:
        return kFinished;
    case SourceEnd::Kind::CannotOpen:
        return kCannotOpen;
    case SourceEnd::Kind::NotUnderstood:
        return kNotUnderstood;
    case SourceEnd::Kind::Failed:
        return kPortFailed;
    }
    return kPortFailed;
}

} // namespace exitcodes
