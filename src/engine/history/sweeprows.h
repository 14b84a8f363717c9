#pragma once

#include "engine/history/historyrow.h"

class ChannelStatistics;

// Rows to show as a waterfall, newest first: the live history, or a recording read back. A run
// begins after a separator row, as the live history marks it.
class SweepRows
{
public:
    virtual ~SweepRows() = default;

    [[nodiscard]] virtual int rowCount() const = 0;
    // age 0 is the newest row, rowCount() - 1 the oldest.
    [[nodiscard]] virtual HistoryRow row(int age) const = 0;
};

namespace history {

// The figures of rows from newestAge to oldestAge, both included, counted oldest first; bursts
// end at each separator. Gives the number of sweeps counted.
int addRows(ChannelStatistics &statistics, const SweepRows &rows, int newestAge, int oldestAge);

} // namespace history
