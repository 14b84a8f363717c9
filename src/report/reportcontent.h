#pragma once

#include "engine/record/channelstatistics.h"
#include "report/reportalarms.h"
#include "report/reportfacts.h"
#include "report/waterfallreduction.h"

#include <optional>

class QSaveFile;

// Everything a survey report shows: how it was made, its figures over the hours counted, its
// whole period as a waterfall, and the plan and alarms where they were asked for.
struct ReportContent
{
    ReportFacts facts;
    ChannelStatistics statistics;
    WaterfallReduction waterfall;
    std::optional<ReportPlan> plan;
    std::optional<ReportAlarms> alarms;
};

namespace surveyreport {

// Why there is nothing to report, or empty: no sweep, or none inside the hours.
QString emptiness(const ReportContent &content);

// Writes the report as a PDF into the file opened for it and commits it, so that the file is
// replaced only once whole; "FILE: reason" when it could not.
QString write(QSaveFile &file, const ReportContent &content);
// The same at a path.
QString writeFile(const QString &path, const ReportContent &content);

// The SHA-256 of a file's bytes in hex, read in pieces; empty with the reason when unreadable.
QString fileSha256(const QString &path, QString *error);

} // namespace surveyreport
