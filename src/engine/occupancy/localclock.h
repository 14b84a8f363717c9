#pragma once

#include <QtGlobal>

// UTC instants on the local wall clock (the machine's zone, or TZ), as the minute of the week
// counted from Monday 00:00. The zone's offset is looked up once an hour of UTC and kept, so that
// a reading costs an addition and a division; an hour in which the offset changes is looked up
// reading by reading. Not for two threads at once.
class LocalClock
{
public:
    static constexpr int kMinutesPerDay = 24 * 60;
    static constexpr int kMinutesPerWeek = 7 * kMinutesPerDay;

    [[nodiscard]] int minuteOfWeek(qint64 utcMs) const;

    [[nodiscard]] static int hourOf(int minuteOfWeek) { return minuteOfWeek % kMinutesPerDay / 60; }
    // Saturday and Sunday.
    [[nodiscard]] static bool isWeekend(int minuteOfWeek)
    {
        return minuteOfWeek >= 5 * kMinutesPerDay;
    }

private:
    [[nodiscard]] static qint64 offsetMs(qint64 utcMs);

    mutable qint64 m_hourStartMs = 0;
    mutable qint64 m_hourEndMs = 0;
    mutable qint64 m_offsetMs = 0;
};
