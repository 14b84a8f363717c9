#include "engine/record/sweepassembler.h"

SweepAssembler::SweepAssembler(QObject *parent)
    : QObject(parent)
{}

void SweepAssembler::addReading(const Reading &reading)
{
    if (reading.index < 0 || reading.index >= MonitorState::kChannelCount) {
        return;
    }
    // Levels measured in another mode are not comparable: the sweep starts over.
    if (m_filled.any() && reading.mode != m_pending.mode) {
        m_filled.reset();
    }
    m_pending.mode = reading.mode;
    m_pending.dbm[static_cast<std::size_t>(reading.index)] = reading.dbm;
    m_filled.set(static_cast<std::size_t>(reading.index));
    if (reading.index != MonitorState::kChannelCount - 1) {
        return;
    }
    const bool complete = m_filled.all();
    m_filled.reset();
    if (!complete) {
        return;
    }
    m_pending.utcMs = reading.utcMs;
    m_pending.sweep = ++m_completed;
    Q_EMIT sweepCompleted(m_pending);
}

void SweepAssembler::startRun()
{
    m_filled.reset();
}

SweepRecord SweepAssembler::numbered(const SweepRecord &sweep)
{
    SweepRecord numbered = sweep;
    numbered.sweep = ++m_completed;
    return numbered;
}
