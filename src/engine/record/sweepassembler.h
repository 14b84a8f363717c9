#pragma once

#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <QObject>

#include <bitset>

// Gathers the readings of a run into complete sweeps. A sweep is complete when the reading
// for the last channel arrives and every channel has had a reading since the sweep began;
// anything less (a run cut short, cursor-only measuring, a change of mode) is never a sweep.
class SweepAssembler : public QObject
{
    Q_OBJECT

public:
    explicit SweepAssembler(QObject *parent = nullptr);

    void addReading(const Reading &reading);
    // A sweep complete already (a recording's), numbered on as an assembled one would be.
    [[nodiscard]] SweepRecord numbered(const SweepRecord &sweep);
    // A new run: the unfinished sweep of the previous one is dropped; numbering goes on.
    void startRun();
    // A new recording: the next complete sweep is number 1.
    void restartNumbering() { m_completed = 0; }

    [[nodiscard]] qint64 completedSweeps() const { return m_completed; }

Q_SIGNALS:
    void sweepCompleted(const SweepRecord &sweep);

private:
    SweepRecord m_pending;
    std::bitset<MonitorState::kChannelCount> m_filled;
    qint64 m_completed = 0;
};
