#pragma once

#include "core/channelplan.h"

#include <QtGlobal>

#include <array>
#include <cstddef>
#include <optional>

class HourOfDayMap;

// Which days of the week an hour-of-day figure covers.
enum class DaySelection { AllDays, Weekdays, Weekends };

// Occupancy of each hour of the local day per channel, over the chosen days: what a heat map
// of the hours shows. The busy hour of a channel is its hour with the highest occupancy, the
// earlier one on a tie, as the statistics pick it; a channel never busy has none.
class HourGrid
{
public:
    static constexpr int kHours = 24;

    HourGrid() = default;
    HourGrid(const HourOfDayMap &map, DaySelection days);

    // Counts added to the cell of a channel index and an hour of the day (0-23).
    void add(int channelIndex, int hour, qint64 readings, qint64 busy);
    [[nodiscard]] qint64 readings(int channelIndex, int hour) const;
    // 0 to 100; nullopt for a cell without readings.
    [[nodiscard]] std::optional<double> occupancyPct(int channelIndex, int hour) const;
    [[nodiscard]] std::optional<int> busyHour(int channelIndex) const;

private:
    struct Cell
    {
        qint64 readings = 0;
        qint64 busy = 0;
    };

    // Where the cell is kept; nullopt outside the grid.
    [[nodiscard]] static std::optional<std::size_t> position(int channelIndex, int hour);
    [[nodiscard]] Cell cell(int channelIndex, int hour) const;

    std::array<Cell, std::size_t{kHours} * channelplan::kChannelCount> m_cells{};
};
