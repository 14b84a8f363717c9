#pragma once

#include <QString>
#include <QtGlobal>

// A site survey as kvt318-scan would have recorded it in Air Monitor mode: a noise floor, a few
// busy channels with bursts of traffic, the same every time for the same arguments.
namespace surveygenerator {

// One Air Monitor sweep every 345.6 ms: a day is 250,000 sweeps.
inline constexpr qint64 kDaySweeps = 250000;
inline constexpr qint64 kSweepIntervalMs = 346;

// Writes the CSV recording to path; the reason on failure, else empty.
QString write(const QString &path, qint64 sweeps, qint64 firstUtcMs);

} // namespace surveygenerator
