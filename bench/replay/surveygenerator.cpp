#include "surveygenerator.h"

#include "engine/record/outputfile.h"
#include "engine/record/sweeprecord.h"

#include <QFile>

#include <algorithm>
#include <random>

namespace surveygenerator {

namespace {
constexpr int kNoiseFloor = -118;
constexpr int kNoiseSpread = 3;
constexpr int kBusyLevel = -70;
// Channels with traffic, and how likely a sweep finds each of them busy, in percent.
constexpr std::array<std::pair<int, int>, 4> kBusyChannels{{{5, 30}, {12, 8}, {21, 50}, {33, 3}}};
} // namespace

QString write(const QString &path, qint64 sweeps, qint64 firstUtcMs)
{
    QFile::remove(path);
    OutputFile file(path, RecordFormat::Csv);
    if (!file.open()) {
        return file.errorString();
    }
    std::mt19937 random(7); // NOLINT: a fixed seed, the same survey every time
    std::uniform_int_distribution<int> noise(-kNoiseSpread, kNoiseSpread);
    std::uniform_int_distribution<int> percent(0, 99);
    SweepRecord sweep;
    sweep.mode = RadioMode::AirMonitor;
    for (qint64 n = 1; n <= sweeps; ++n) {
        sweep.sweep = n;
        sweep.utcMs = firstUtcMs + n * kSweepIntervalMs;
        for (auto &dbm : sweep.dbm) {
            dbm = static_cast<qint16>(kNoiseFloor + noise(random));
        }
        for (const auto &[index, busy] : kBusyChannels) {
            if (percent(random) < busy) {
                sweep.dbm[static_cast<std::size_t>(index)] =
                    static_cast<qint16>(kBusyLevel + noise(random));
            }
        }
        if (!file.write(sweep)) {
            return file.errorString();
        }
    }
    return {};
}

} // namespace surveygenerator
