#include "engine/occupancy/localclock.h"

#include <QDateTime>

namespace {
constexpr qint64 kMsPerMinute = qint64(60) * 1000;
constexpr qint64 kMsPerHour = 60 * kMsPerMinute;
// 1970-01-01 was a Thursday, three days after a Monday.
constexpr qint64 kEpochMinuteOfWeek = qint64(3) * LocalClock::kMinutesPerDay;

qint64 floorDiv(qint64 value, qint64 divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}
} // namespace

qint64 LocalClock::offsetMs(qint64 utcMs)
{
    return qint64(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime).offsetFromUtc()) * 1000;
}

int LocalClock::minuteOfWeek(qint64 utcMs) const
{
    qint64 offset = m_offsetMs;
    if (utcMs < m_hourStartMs || utcMs >= m_hourEndMs) {
        const qint64 start = floorDiv(utcMs, kMsPerHour) * kMsPerHour;
        offset = offsetMs(utcMs);
        if (offsetMs(start) == offset && offsetMs(start + kMsPerHour - 1) == offset) {
            m_hourStartMs = start;
            m_hourEndMs = start + kMsPerHour;
            m_offsetMs = offset;
        }
    }
    const qint64 minutes = floorDiv(utcMs + offset, kMsPerMinute) + kEpochMinuteOfWeek;
    const qint64 inWeek = minutes % kMinutesPerWeek;
    return static_cast<int>(inWeek < 0 ? inWeek + kMinutesPerWeek : inWeek);
}
