#pragma once

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

// How the recording file of a long run is kept.
struct FileRules
{
    // A new file at each UTC multiple of this since midnight (since 1970 when over a day).
    std::optional<std::chrono::milliseconds> rotate;
    // After a rotation only the newest this many rotated files of the output stay.
    std::optional<int> keep;
    // Below this much free space on the file's file system rows are dropped; 0: no floor.
    qint64 minFreeBytes = 0;
};

namespace rotation {

// The UTC start of the period that holds utcMs.
qint64 periodStart(qint64 utcMs, std::chrono::milliseconds period);
// path with the period's UTC start before its extension: survey-20261207.csv for whole days,
// survey-20261207T1400.csv for whole minutes, survey-20261207T140510.csv otherwise.
QString fileName(const QString &path, qint64 startMs, std::chrono::milliseconds period);
// Whether a file name in path's folder is one fileName() makes for periods of this length.
bool isRotatedName(const QString &path, const QString &name, std::chrono::milliseconds period);

} // namespace rotation
