#pragma once

#include "engine/occupancy/localclock.h"

#include <QString>
#include <QtGlobal>

#include <bitset>
#include <optional>

// Weekly windows of local time within which readings count: "Mon-Fri 08:00-18:00; Sat,Sun
// 00:00-24:00". A window whose end is before its start crosses midnight and belongs to the day
// it starts on; one without days is every day's. Times are the wall clock's, so a day on which
// the clock changes counts its own hours. Local time is the machine's zone or TZ.
class HourWindows
{
public:
    static HourWindows always() { return HourWindows(); }
    // nullopt and *error: one line naming the part that is wrong and why.
    static std::optional<HourWindows> parse(const QString &text, QString *error);

    // The local offset is looked up once an hour; not for two threads at once.
    [[nodiscard]] bool contains(qint64 utcMs) const;
    [[nodiscard]] bool containsMinute(int minuteOfWeek) const
    {
        return m_always || m_minutes.test(static_cast<std::size_t>(minuteOfWeek));
    }
    // Whether some minute of this hour of the day, on some day, is inside.
    [[nodiscard]] bool coversHour(int hour) const;
    [[nodiscard]] bool isAlways() const { return m_always; }
    // The windows written the one way ("Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00"); "" for always.
    [[nodiscard]] QString text() const { return m_text; }

    friend bool operator==(const HourWindows &a, const HourWindows &b)
    {
        return a.m_always == b.m_always && a.m_minutes == b.m_minutes;
    }
    friend bool operator!=(const HourWindows &a, const HourWindows &b) { return !(a == b); }

private:
    HourWindows() = default;

    bool m_always = true;
    std::bitset<LocalClock::kMinutesPerWeek> m_minutes;
    QString m_text;
    LocalClock m_clock;
};
