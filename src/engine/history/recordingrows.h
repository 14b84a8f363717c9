#pragma once

#include "engine/history/sweeprows.h"
#include "engine/record/recording.h"

#include <vector>

// A recording read back, shown as history rows: a separator before each run, as live.
class RecordingRows : public SweepRows
{
public:
    explicit RecordingRows(Recording recording);

    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] HistoryRow row(int age) const override;
    [[nodiscard]] const Recording &recording() const { return m_recording; }
    // The recording's rows [first, last) shown from newestAge to oldestAge, both included.
    [[nodiscard]] std::pair<qint64, qint64> recordingRows(int newestAge, int oldestAge) const;

private:
    [[nodiscard]] qint64 position(int age) const;
    [[nodiscard]] qint64 sweepsBefore(qint64 position) const;

    Recording m_recording;
    // Where each run's separator stands, counted from the oldest row.
    std::vector<qint64> m_separators;
};
