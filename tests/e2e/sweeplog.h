#pragma once

#include "simprocess.h"

#include <QList>

#include <deque>

// A sweep as the simulator's traffic log saw it: every measurement with the channel it was
// taken on and the value the simulator sent, and every pause the monitor left between a
// channel-set reply and its "@RA". Read from the log alone, never from the monitor.
class SweepLog
{
public:
    struct Measurement
    {
        int channelIndex = 0;          // channel number - 7
        qint16 dBm = 0;         // as sent: "*RA=" decimal, or "*RS=" byte - 256
        qint64 micros = 0;      // when the reply left the simulator
        qsizetype entryIdx = 0; // its line in entries()
    };

    explicit SweepLog(QList<SimProcess::LogEntry> entries);

    [[nodiscard]] const QList<SimProcess::LogEntry> &entries() const { return m_entries; }
    [[nodiscard]] const QList<Measurement> &measurements() const { return m_measurements; }
    // For every "@RA": microseconds from the "*CH=" reply before it to the command's arrival.
    [[nodiscard]] const QList<qint64> &rssiReadPauses() const { return m_pauses; }

    static constexpr int kFirstChannel = 7;

private:
    void read(const SimProcess::LogEntry &entry, qsizetype index);

    QList<SimProcess::LogEntry> m_entries;
    QList<Measurement> m_measurements;
    QList<qint64> m_pauses;
    int m_selected = 0;
    // Channels of the measuring commands not yet answered: a reply's tail may still be on its
    // way when the next command arrives, so the log can show that command first.
    std::deque<int> m_awaited;
    qint64 m_channelSetAt = -1;
};
