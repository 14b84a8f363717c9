#include "engine/history/hourgrid.h"

#include "engine/occupancy/hourofdaymap.h"

HourGrid::HourGrid(const HourOfDayMap &map, DaySelection days)
{
    const auto chosen = [days](DayType type) {
        return days == DaySelection::AllDays ||
               (days == DaySelection::Weekdays) == (type == DayType::Weekday);
    };
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        for (int hour = 0; hour < kHours; ++hour) {
            for (const DayType type : {DayType::Weekday, DayType::Weekend}) {
                if (chosen(type)) {
                    add(index, hour, map.readings(index, type, hour), map.busy(index, type, hour));
                }
            }
        }
    }
}

std::optional<std::size_t> HourGrid::position(int channelIndex, int hour)
{
    if (channelIndex < 0 || channelIndex >= channelplan::kChannelCount || hour < 0 ||
        hour >= kHours) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(channelIndex * kHours + hour);
}

HourGrid::Cell HourGrid::cell(int channelIndex, int hour) const
{
    const auto at = position(channelIndex, hour);
    return at ? m_cells[*at] : Cell{};
}

void HourGrid::add(int channelIndex, int hour, qint64 readings, qint64 busy)
{
    if (const auto at = position(channelIndex, hour)) {
        m_cells[*at].readings += readings;
        m_cells[*at].busy += busy;
    }
}

qint64 HourGrid::readings(int channelIndex, int hour) const
{
    return cell(channelIndex, hour).readings;
}

std::optional<double> HourGrid::occupancyPct(int channelIndex, int hour) const
{
    const Cell found = cell(channelIndex, hour);
    if (found.readings == 0) {
        return std::nullopt;
    }
    return 100.0 * static_cast<double>(found.busy) / static_cast<double>(found.readings);
}

std::optional<int> HourGrid::busyHour(int channelIndex) const
{
    std::optional<int> busiest;
    double highest = 0.0;
    for (int hour = 0; hour < kHours; ++hour) {
        const std::optional<double> percent = occupancyPct(channelIndex, hour);
        if (percent && *percent > highest) {
            highest = *percent;
            busiest = hour;
        }
    }
    return busiest;
}
