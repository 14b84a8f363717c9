#include "sweepfigures.h"

#include <algorithm>
#include <cmath>

namespace sweepfigures {

namespace {
constexpr double kMicrosPerSecond = 1e6;
constexpr double kMicrosPerMs = 1e3;
constexpr double kBitsPerByte = 10.0; // start, eight data, stop
constexpr double kPercentile99 = 0.99;
} // namespace

Spread spread(QList<double> values)
{
    if (values.isEmpty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    const auto at = [&values](double fraction) {
        const auto rank = static_cast<qsizetype>(std::ceil(fraction * double(values.size())));
        return values.at(std::clamp<qsizetype>(rank - 1, 0, values.size() - 1));
    };
    const qsizetype middle = values.size() / 2;
    const double median = values.size() % 2 == 1
                              ? values.at(middle)
                              : (values.at(middle - 1) + values.at(middle)) / 2.0;
    return {values.first(), median, at(kPercentile99)};
}

double perSecond(const QList<SweepLog::Measurement> &measurements)
{
    if (measurements.size() < 2) {
        return 0.0;
    }
    const double micros =
        static_cast<double>(measurements.last().micros - measurements.first().micros);
    return micros > 0.0 ? double(measurements.size() - 1) * kMicrosPerSecond / micros : 0.0;
}

QList<double> periodsMs(const QList<SweepLog::Measurement> &measurements)
{
    QList<double> periods;
    for (qsizetype i = 1; i < measurements.size(); ++i) {
        periods.append(
            static_cast<double>(measurements.at(i).micros - measurements.at(i - 1).micros) /
            kMicrosPerMs);
    }
    return periods;
}

QList<double> toMs(const QList<qint64> &micros)
{
    QList<double> ms;
    for (const qint64 value : micros) {
        ms.append(static_cast<double>(value) / kMicrosPerMs);
    }
    return ms;
}

namespace {

double wireSeconds(const SimProcess::LogEntry &entry, int baud)
{
    return double(entry.bytes.size()) * kBitsPerByte / double(baud);
}

bool isRssiRead(const SimProcess::LogEntry &entry)
{
    return entry.fromMonitor && entry.bytes.startsWith("@RA");
}

} // namespace

double idealSeconds(const SweepLog &log, const SweepLog::Measurement &first,
                    const SweepLog::Measurement &last, int baud, std::chrono::milliseconds pause,
                    qsizetype overlappedReplyTail)
{
    const double pauseSeconds = std::chrono::duration<double>(pause).count();
    double seconds = 0.0;
    for (qsizetype i = first.entryIdx + 1; i <= last.entryIdx && i < log.entries().size(); ++i) {
        const SimProcess::LogEntry &entry = log.entries().at(i);
        seconds += wireSeconds(entry, baud) + (isRssiRead(entry) ? pauseSeconds : 0.0);
        if (!entry.fromMonitor) {
            const qsizetype overlapped = std::min(overlappedReplyTail, entry.bytes.size());
            seconds -= double(overlapped) * kBitsPerByte / double(baud);
        }
    }
    return seconds;
}

qsizetype commandsBetween(const SweepLog &log, qint64 fromMicros, qint64 toMicros)
{
    return std::count_if(log.entries().begin(), log.entries().end(),
                         [fromMicros, toMicros](const SimProcess::LogEntry &entry) {
                             return entry.fromMonitor && entry.micros >= fromMicros &&
                                    entry.micros <= toMicros;
                         });
}

LostTime lostTime(const SweepLog &log, const SweepLog::Measurement &first,
                  const SweepLog::Measurement &last, int baud, std::chrono::milliseconds pause)
{
    const double pauseSeconds = std::chrono::duration<double>(pause).count();
    LostTime lost;
    for (qsizetype i = first.entryIdx + 1; i <= last.entryIdx && i < log.entries().size(); ++i) {
        const SimProcess::LogEntry &entry = log.entries().at(i);
        const double gap =
            static_cast<double>(entry.micros - log.entries().at(i - 1).micros) / kMicrosPerSecond;
        const double excess =
            gap - wireSeconds(entry, baud) - (isRssiRead(entry) ? pauseSeconds : 0.0);
        (entry.fromMonitor ? lost.monitorSeconds : lost.simulatorSeconds) += excess;
    }
    return lost;
}

} // namespace sweepfigures
