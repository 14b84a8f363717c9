#pragma once

#include "core/radiomode.h"
#include "engine/plan/planchannel.h"

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

class ChannelStatistics;
struct Baseline;
struct PlanReport;
struct FileNotice;
struct SweepRecord;
struct Reading;
struct ReceiverIdentity;

// The texts kvt318-scan shows a person on standard error.
namespace scanreport {

struct Progress
{
    std::chrono::milliseconds elapsed{0};
    qint64 records = 0;
    bool singleChannel = false;
    std::optional<RadioMode> mode;
    const SweepRecord *lastSweep = nullptr;
    const Reading *lastReading = nullptr;
    // Sweeps the MQTT broker never got, when publishing.
    std::optional<qint64> droppedSweeps;
};

// "00:01:23  120 sweeps  1.45/s  FSK  strongest ch 20 -62 dBm", one line without its end;
// when publishing, "  MQTT 0 dropped" follows.
QString progressLine(const Progress &progress);

QString modeName(std::optional<RadioMode> mode);

// "receiver north-1: KVT-318M Ver1.00 on /dev/ttyUSB0", what is known of it, with its line end:
// the heading of the statistics table.
QString receiverLine(const ReceiverIdentity &receiver);

// The per-channel statistics as an aligned table with the occupancy's 95 % interval, the
// effective readings and the busy hour, then the five quietest channels and the hours counted.
QString statisticsTable(const ChannelStatistics &statistics);

// "Occupancy changed most against the baseline: 12 +35.2 % (4.1 → 39.3), …", the count
// channels measured in both with the largest change first, one line with its end.
QString baselineChanges(const ChannelStatistics &statistics, const Baseline &baseline, int count);

// A file's pause for want of room, its resumption, or an old rotated file left undeleted, as
// one line: "survey.csv: only 87 MiB free, below --min-free 100 MiB; rows are dropped until
// there is room".
QString fileNotice(const FileNotice &notice);

// The plan over the hours (empty: all of them), what binds it when it falls short, and a row per
// channel with its verdict, figures and reason, each line with its end.
QString planTable(const PlanReport &report, const PlanSurvey &survey, const QString &hours);

// A size in the largest binary unit it reaches, cut (never rounded up) to a tenth: "87 MiB",
// "1.5 GiB", "512 bytes".
QString sizeText(qint64 bytes);

} // namespace scanreport
