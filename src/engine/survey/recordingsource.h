#pragma once

#include "engine/record/recording.h"
#include "engine/survey/sweepsource.h"

#include <chrono>
#include <functional>

class QTimer;

// A recording read back as a source: its rows in a span, as fast as the consumers take them or
// at the pace they were recorded. A run breaks where the recording does (a reconnect, a long
// pause, sweeps numbered anew). A replay has time: while the gate is shut (a consumer's queue
// is full, its broker away) it waits and looks again a moment later, rather than have anything
// dropped.
class RecordingSource : public SweepSource
{
    Q_OBJECT

public:
    using Gate = std::function<bool()>;
    // How soon a shut gate is tried again.
    static constexpr std::chrono::milliseconds kGateRetry{5};

    // Rows [first, last) of the recording.
    RecordingSource(Recording recording, qint64 first, qint64 last, bool realtime,
                    QObject *parent = nullptr);

    // Asked before each sweep: whether the consumers take it now.
    void setGate(Gate gate) { m_gate = std::move(gate); }

    void start() override;
    void stop() override;
    [[nodiscard]] std::optional<RadioMode> mode() const override;
    [[nodiscard]] QString endReason() const override;

private:
    void feed();
    void handOn(qint64 row);
    void end();

    Recording m_recording;
    qint64 m_first = 0;
    qint64 m_next = 0;
    qint64 m_end = 0;
    bool m_realtime = false;
    Gate m_gate;
    QTimer *m_feedTimer = nullptr;
    bool m_ended = false;
};
