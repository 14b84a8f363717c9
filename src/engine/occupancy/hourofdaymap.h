#pragma once

#include "core/channelplan.h"

#include <QtGlobal>

#include <array>
#include <optional>

enum class DayType { Weekday, Weekend };

struct BusyHour
{
    int hour = 0;
    double occupancyPct = 0.0;
};

// Per channel, readings and busy readings in each local hour of the day, weekdays apart from
// weekends: 24 x 40 x 2 pairs of counters, whatever the survey's length.
class HourOfDayMap
{
public:
    static constexpr int kHours = 24;

    void add(int channelIndex, int localHour, DayType day, bool busy)
    {
        if (channelIndex < 0 || channelIndex >= channelplan::kChannelCount || localHour < 0 ||
            localHour >= kHours) {
            return;
        }
        Cell &cell = m_cells[cellIndex(channelIndex, day, localHour)];
        ++cell.readings;
        cell.busy += busy ? 1 : 0;
    }
    void clear() { m_cells.fill(Cell{}); }

    [[nodiscard]] qint64 readings(int channelIndex, DayType day, int hour) const;
    [[nodiscard]] qint64 busy(int channelIndex, DayType day, int hour) const;
    // Nothing for an hour without readings.
    [[nodiscard]] std::optional<double> occupancyPct(int channelIndex, DayType day, int hour) const;
    // The hour of the day (both day types together) with the highest occupancy, the earlier on
    // a tie; nothing for a channel never busy, whose every hour is as quiet as the first.
    [[nodiscard]] std::optional<BusyHour> busyHour(int channelIndex) const;

private:
    struct Cell
    {
        qint64 readings = 0;
        qint64 busy = 0;
    };

    static std::size_t cellIndex(int channelIndex, DayType day, int hour)
    {
        return (static_cast<std::size_t>(channelIndex) * 2 + (day == DayType::Weekend ? 1 : 0)) *
                   kHours +
               static_cast<std::size_t>(hour);
    }

    std::array<Cell, std::size_t(channelplan::kChannelCount) * 2 * kHours> m_cells{};
};
