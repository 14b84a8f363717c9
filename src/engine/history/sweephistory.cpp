#include "engine/history/sweephistory.h"

#include <cstddef>

namespace {

constexpr qint64 kRateWindowMs = 5000;

} // namespace

SweepHistory::SweepHistory(int capacity, QObject *parent)
    : QObject(parent)
    , m_capacity(capacity)
{
    Q_ASSERT(capacity > 0);
}

void SweepHistory::append(const SweepRecord &sweep)
{
    HistoryRow row;
    row.utcMs = sweep.utcMs;
    row.dbm = sweep.dbm;
    push(row);
}

void SweepHistory::markRunStart(qint64 utcMs)
{
    if (m_size > 0 && at(0).runStart) {
        return;
    }
    HistoryRow row;
    row.utcMs = utcMs;
    row.runStart = true;
    row.dbm.fill(MonitorState::kNoReading);
    push(row);
}

void SweepHistory::push(const HistoryRow &row)
{
    const auto slot = static_cast<std::size_t>(m_next);
    if (m_size < capacity()) {
        m_rows.push_back(row);
        ++m_size;
    } else {
        Q_EMIT rowDropped(m_rows[slot]);
        m_rows[slot] = row;
    }
    m_next = (m_next + 1) % capacity();
    Q_EMIT rowAdded(m_rows[slot]);
}

void SweepHistory::clear()
{
    m_rows.clear();
    m_next = 0;
    m_size = 0;
    Q_EMIT cleared();
}

const HistoryRow &SweepHistory::at(int age) const
{
    Q_ASSERT(age >= 0 && age < m_size);
    const int slot = (m_next - 1 - age + capacity()) % capacity();
    return m_rows[static_cast<std::size_t>(slot)];
}

double SweepHistory::sweepsPerSecond(qint64 nowUtcMs) const
{
    int sweeps = 0;
    qint64 oldest = 0;
    qint64 newest = 0;
    for (int age = 0; age < m_size; ++age) {
        const HistoryRow &row = at(age);
        if (row.runStart || nowUtcMs - row.utcMs > kRateWindowMs) {
            break;
        }
        newest = sweeps == 0 ? row.utcMs : newest;
        oldest = row.utcMs;
        ++sweeps;
    }
    if (sweeps < 2 || newest <= oldest) {
        return 0.0;
    }
    return 1000.0 * (sweeps - 1) / static_cast<double>(newest - oldest);
}
