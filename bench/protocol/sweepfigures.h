#pragma once

#include "sweeplog.h"

#include <QList>

#include <chrono>

// Figures of a stretch of a sweep, from the simulator's log.
namespace sweepfigures {

struct Spread
{
    double min = 0.0;
    double median = 0.0;
    double p99 = 0.0;
};

[[nodiscard]] Spread spread(QList<double> values);

// Measurements a second between the first and the last of them.
[[nodiscard]] double perSecond(const QList<SweepLog::Measurement> &measurements);
// Milliseconds from each measurement to the next.
[[nodiscard]] QList<double> periodsMs(const QList<SweepLog::Measurement> &measurements);
[[nodiscard]] QList<double> toMs(const QList<qint64> &micros);

// The least time the stretch from `first` to `last` could take on an 8N1 wire of `baud`:
// every byte of every command and reply after `first` up to `last`, plus `pause` before
// every "@RA" among them. The last `overlappedReplyTail` bytes of each reply are left out
// where the monitor answers before they are in, so that they share the line with the next
// command (full duplex).
[[nodiscard]] double idealSeconds(const SweepLog &log, const SweepLog::Measurement &first,
                                  const SweepLog::Measurement &last, int baud,
                                  std::chrono::milliseconds pause,
                                  qsizetype overlappedReplyTail = 0);

// The commands the monitor sent between two moments on the log's clock: its exchanges.
[[nodiscard]] qsizetype commandsBetween(const SweepLog &log, qint64 fromMicros, qint64 toMicros);

// Where the time beyond the ideal went, over the same stretch: each gap between two log lines
// less the wire time of the later one (and less the pause before an "@RA"). A gap that ends
// in a reply is the simulator's; one that ends in a command is the monitor's, the terminal's
// way there and back included. The two add up to the actual time less the ideal.
struct LostTime
{
    double simulatorSeconds = 0.0;
    double monitorSeconds = 0.0;
};

[[nodiscard]] LostTime lostTime(const SweepLog &log, const SweepLog::Measurement &first,
                                const SweepLog::Measurement &last, int baud,
                                std::chrono::milliseconds pause);

} // namespace sweepfigures
