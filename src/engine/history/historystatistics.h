#pragma once

#include "engine/record/channelstatistics.h"

#include <QObject>

#include <chrono>

class SweepHistory;
struct HistoryRow;

// The recording engine's per-channel figures over the sweeps the history holds. New sweeps
// are added as they come; a new threshold, other hours or a cleared history counts the held rows
// afresh, and so, at most once a minute, do rows leaving the ring, so that old sweeps fade out
// without a recount per sweep.
class HistoryStatistics : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kRecountInterval{60};

    explicit HistoryStatistics(const SweepHistory &history, QObject *parent = nullptr);

    void setThreshold(qint16 thresholdDbm);
    [[nodiscard]] qint16 threshold() const { return m_statistics.threshold(); }
    // Only readings in these hours count; the held rows are counted afresh.
    void setHours(const HourWindows &hours);
    [[nodiscard]] const ChannelStatistics &statistics() const { return m_statistics; }
    // Recounts now if rows have left the ring since the last count, for an exact export.
    void forgetDroppedRows();

private:
    void add(const HistoryRow &row);
    void recount();

    const SweepHistory &m_history;
    ChannelStatistics m_statistics;
    bool m_rowsDropped = false;
    std::chrono::steady_clock::time_point m_lastRecount;
};
