#include "engine/history/sweeprows.h"

#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"

namespace history {

int addRows(ChannelStatistics &statistics, const SweepRows &rows, int newestAge, int oldestAge)
{
    int sweeps = 0;
    for (int age = oldestAge; age >= newestAge; --age) {
        const HistoryRow row = rows.row(age);
        if (row.runStart) {
            statistics.breakBursts();
            continue;
        }
        ++sweeps;
        for (int index = 0; index < channelplan::kChannelCount; ++index) {
            statistics.addReading(
                Reading{index, row.dbm[static_cast<std::size_t>(index)], row.utcMs, std::nullopt});
        }
    }
    return sweeps;
}

} // namespace history
