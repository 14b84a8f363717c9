#include "engine/history/historystatistics.h"

#include "engine/history/sweephistory.h"
#include "engine/protocol/reading.h"

HistoryStatistics::HistoryStatistics(const SweepHistory &history, QObject *parent)
    : QObject(parent)
    , m_history(history)
    , m_lastRecount(std::chrono::steady_clock::now())
{
    connect(&history, &SweepHistory::rowAdded, this, [this](const HistoryRow &row) {
        add(row);
        if (m_rowsDropped && std::chrono::steady_clock::now() - m_lastRecount >= kRecountInterval) {
            recount();
        }
    });
    connect(&history, &SweepHistory::rowDropped, this, [this] { m_rowsDropped = true; });
    connect(&history, &SweepHistory::cleared, this, &HistoryStatistics::recount);
}

void HistoryStatistics::setThreshold(qint16 thresholdDbm)
{
    if (thresholdDbm == m_statistics.threshold()) {
        return;
    }
    m_statistics.setThreshold(thresholdDbm);
    recount();
}

void HistoryStatistics::setHours(const HourWindows &hours)
{
    m_statistics.setHours(hours);
    recount();
}

void HistoryStatistics::forgetDroppedRows()
{
    if (m_rowsDropped) {
        recount();
    }
}

void HistoryStatistics::add(const HistoryRow &row)
{
    // Between two runs nothing was measured: a burst does not run across the gap.
    if (row.runStart) {
        m_statistics.breakBursts();
        return;
    }
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        m_statistics.addReading(
            Reading{index, row.dbm.at(static_cast<std::size_t>(index)), row.utcMs, std::nullopt});
    }
}

void HistoryStatistics::recount()
{
    m_statistics.clear();
    for (int age = m_history.size() - 1; age >= 0; --age) {
        add(m_history.at(age));
    }
    m_rowsDropped = false;
    m_lastRecount = std::chrono::steady_clock::now();
}
