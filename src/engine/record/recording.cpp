#include "engine/record/recording.h"

#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"

#include <algorithm>

Recording::Recording(int width, int firstIndex)
    : m_width(width)
    , m_firstIndex(firstIndex)
{}

void Recording::append(qint64 utcMs, const qint16 *levels, std::optional<RadioMode> mode,
                       bool numberedAnew)
{
    bool newRun = m_times.empty() || numberedAnew || mode != m_runModes.back();
    if (!newRun) {
        const qint64 runFirst = m_times[static_cast<std::size_t>(m_runStarts.back())];
        const auto intervals = static_cast<double>(rows() - 1 - m_runStarts.back());
        if (intervals > 0) {
            const double meanInterval = static_cast<double>(m_times.back() - runFirst) / intervals;
            newRun = static_cast<double>(utcMs - m_times.back()) > kBreakIntervals * meanInterval;
        }
    }
    if (newRun) {
        m_runStarts.push_back(rows());
        m_runModes.push_back(mode);
    }
    m_times.push_back(utcMs);
    const std::size_t at = m_levels.size();
    m_levels.resize(at + static_cast<std::size_t>(m_width));
    for (int column = 0; column < m_width; ++column) {
        m_levels[at + static_cast<std::size_t>(column)] =
            static_cast<std::uint8_t>(levels[column] - kLowestDbm);
    }
}

void Recording::finish()
{
    m_times.shrink_to_fit();
    m_levels.shrink_to_fit();
    m_runStarts.shrink_to_fit();
    m_runModes.shrink_to_fit();
}

qint16 Recording::dbm(qint64 row, int column) const
{
    const auto at = static_cast<std::size_t>(row * m_width + column);
    return static_cast<qint16>(m_levels[at] + kLowestDbm);
}

bool Recording::startsRun(qint64 row) const
{
    return std::binary_search(m_runStarts.begin(), m_runStarts.end(), row);
}

std::optional<RadioMode> Recording::mode(qint64 row) const
{
    const auto run = std::upper_bound(m_runStarts.begin(), m_runStarts.end(), row);
    if (run == m_runStarts.begin()) {
        return std::nullopt;
    }
    return m_runModes[static_cast<std::size_t>(run - m_runStarts.begin() - 1)];
}

SweepRecord Recording::sweep(qint64 row) const
{
    SweepRecord record;
    record.utcMs = utcMs(row);
    record.mode = mode(row);
    const auto run = std::upper_bound(m_runStarts.begin(), m_runStarts.end(), row);
    record.sweep = row - (run == m_runStarts.begin() ? 0 : *(run - 1)) + 1;
    record.dbm.fill(static_cast<qint16>(kLowestDbm));
    for (int column = 0; column < m_width; ++column) {
        record.dbm[static_cast<std::size_t>(m_firstIndex + column)] = dbm(row, column);
    }
    return record;
}

std::pair<qint64, qint64> Recording::rowsBetween(qint64 fromMs, qint64 toMs) const
{
    const auto first = std::lower_bound(m_times.begin(), m_times.end(), fromMs);
    const auto last = std::upper_bound(first, m_times.end(), toMs);
    return {first - m_times.begin(), last - m_times.begin()};
}

std::size_t Recording::memoryUse() const
{
    return m_times.capacity() * sizeof(qint64) + m_levels.capacity() +
           m_runStarts.capacity() * sizeof(qint64) +
           m_runModes.capacity() * sizeof(std::optional<RadioMode>);
}

namespace record {

void addRows(ChannelStatistics &statistics, const Recording &recording, qint64 first, qint64 last)
{
    for (qint64 row = first; row < last; ++row) {
        if (recording.startsRun(row)) {
            statistics.breakBursts();
        }
        const qint64 utcMs = recording.utcMs(row);
        for (int column = 0; column < recording.width(); ++column) {
            statistics.addReading(Reading{recording.firstIndex() + column,
                                          recording.dbm(row, column), utcMs, std::nullopt});
        }
    }
}

} // namespace record
