#include "engine/survey/heldlevels.h"

#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <algorithm>

void HeldLevels::addSweep(const SweepRecord &sweep)
{
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        add(index, sweep.dbm[static_cast<std::size_t>(index)]);
    }
}

void HeldLevels::addReading(const Reading &reading)
{
    if (reading.index >= 0 && reading.index < MonitorState::kChannelCount) {
        add(reading.index, reading.dbm);
    }
}

void HeldLevels::add(int index, qint16 dbm)
{
    const auto at = static_cast<std::size_t>(index);
    m_state.latest[at] = dbm;
    m_state.highest[at] = std::max(m_state.highest[at], dbm);
}
