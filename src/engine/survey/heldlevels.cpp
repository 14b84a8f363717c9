#include "engine/survey/heldlevels.h"

#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <algorithm>

void HeldLevels::addSweep(const SweepRecord &sweep)
{
    // One pass over whole arrays: a replay hands on hundreds of thousands of sweeps a second.
    m_state.latest = sweep.dbm;
    std::transform(m_state.highest.begin(), m_state.highest.end(), sweep.dbm.begin(),
                   m_state.highest.begin(),
                   [](qint16 held, qint16 dbm) { return std::max(held, dbm); });
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
