#include "engine/history/recordingrows.h"

#include "engine/protocol/monitorstate.h"

#include <algorithm>
#include <limits>
#include <utility>

RecordingRows::RecordingRows(Recording recording)
    : m_recording(std::move(recording))
{
    const std::vector<qint64> &starts = m_recording.runStarts();
    for (std::size_t run = 0; run < starts.size(); ++run) {
        m_separators.push_back(starts[run] + static_cast<qint64>(run));
    }
}

int RecordingRows::rowCount() const
{
    // A scroll bar counts in int: beyond that many rows the oldest are not shown.
    const qint64 rows = m_recording.rows() + static_cast<qint64>(m_separators.size());
    return static_cast<int>(std::min<qint64>(rows, std::numeric_limits<int>::max()));
}

qint64 RecordingRows::position(int age) const
{
    return m_recording.rows() + static_cast<qint64>(m_separators.size()) - 1 - age;
}

qint64 RecordingRows::sweepsBefore(qint64 position) const
{
    const auto separators = std::lower_bound(m_separators.begin(), m_separators.end(), position);
    return position - static_cast<qint64>(separators - m_separators.begin());
}

std::pair<qint64, qint64> RecordingRows::recordingRows(int newestAge, int oldestAge) const
{
    return {sweepsBefore(position(oldestAge)), sweepsBefore(position(newestAge) + 1)};
}

HistoryRow RecordingRows::row(int age) const
{
    const qint64 position = this->position(age);
    const auto after = std::upper_bound(m_separators.begin(), m_separators.end(), position);
    const auto run = static_cast<qint64>(after - m_separators.begin());
    HistoryRow row;
    if (run > 0 && m_separators[static_cast<std::size_t>(run - 1)] == position) {
        const qint64 firstRow = position - (run - 1);
        row.runStart = true;
        row.utcMs = m_recording.utcMs(firstRow);
        row.dbm.fill(MonitorState::kNoReading);
        return row;
    }
    const qint64 sweep = position - run;
    const SweepRecord record = m_recording.sweep(sweep);
    row.utcMs = record.utcMs;
    row.dbm = record.dbm;
    return row;
}
