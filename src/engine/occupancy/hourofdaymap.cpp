#include "engine/occupancy/hourofdaymap.h"

namespace {
constexpr double kPercent = 100.0;

bool valid(int channelIndex, int hour)
{
    return channelIndex >= 0 && channelIndex < channelplan::kChannelCount && hour >= 0 &&
           hour < HourOfDayMap::kHours;
}
} // namespace

qint64 HourOfDayMap::readings(int channelIndex, DayType day, int hour) const
{
    return valid(channelIndex, hour) ? m_cells[cellIndex(channelIndex, day, hour)].readings : 0;
}

qint64 HourOfDayMap::busy(int channelIndex, DayType day, int hour) const
{
    return valid(channelIndex, hour) ? m_cells[cellIndex(channelIndex, day, hour)].busy : 0;
}

std::optional<double> HourOfDayMap::occupancyPct(int channelIndex, DayType day, int hour) const
{
    const qint64 total = readings(channelIndex, day, hour);
    if (total == 0) {
        return std::nullopt;
    }
    return kPercent * static_cast<double>(busy(channelIndex, day, hour)) /
           static_cast<double>(total);
}

std::optional<BusyHour> HourOfDayMap::busyHour(int channelIndex) const
{
    std::optional<BusyHour> top;
    for (int hour = 0; hour < kHours; ++hour) {
        const qint64 total = readings(channelIndex, DayType::Weekday, hour) +
                             readings(channelIndex, DayType::Weekend, hour);
        if (total == 0) {
            continue;
        }
        const double pct = kPercent *
                           static_cast<double>(busy(channelIndex, DayType::Weekday, hour) +
                                               busy(channelIndex, DayType::Weekend, hour)) /
                           static_cast<double>(total);
        if (pct > 0.0 && (!top || pct > top->occupancyPct)) {
            top = BusyHour{hour, pct};
        }
    }
    return top;
}
