#include "engine/survey/recordingsource.h"

#include "engine/protocol/reading.h"

#include <QTimer>

#include <algorithm>

namespace {
// Sweeps handed on per turn of the event loop, so that a signal or the broker gets a look in.
constexpr qint64 kRowsPerTurn = 4096;
// QTimer counts in int milliseconds; a pause in a recording longer than a day is cut to one.
constexpr std::chrono::milliseconds kLongestWait{24 * 3600 * 1000};
} // namespace

RecordingSource::RecordingSource(Recording recording, qint64 first, qint64 last, bool realtime,
                                 QObject *parent)
    : SweepSource(parent)
    , m_recording(std::move(recording))
    , m_first(first)
    , m_next(first)
    , m_end(std::max(first, last))
    , m_realtime(realtime)
    , m_feedTimer(new QTimer(this))
{
    m_feedTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early, which would shorten a replay at the recorded pace.
    m_feedTimer->setTimerType(Qt::PreciseTimer);
    connect(m_feedTimer, &QTimer::timeout, this, &RecordingSource::feed);
}

void RecordingSource::start()
{
    Q_EMIT runStarted();
    if (!m_ended) {
        feed();
    }
}

void RecordingSource::stop()
{
    if (!m_ended) {
        m_feedTimer->stop();
        end();
    }
}

std::optional<RadioMode> RecordingSource::mode() const
{
    // The row handed on last, or the first to come.
    const qint64 row = std::max(m_first, std::min(m_next, m_end) - 1);
    if (row >= m_end) {
        return std::nullopt;
    }
    return m_recording.mode(row);
}

QString RecordingSource::endReason() const
{
    return m_next >= m_end ? QStringLiteral("the replay reached its end")
                           : QStringLiteral("the replay stopped");
}

void RecordingSource::feed()
{
    // At the recorded pace one sweep a turn, the timer waiting out the time to the next.
    const qint64 turnEnd = std::min(m_end, m_next + (m_realtime ? 1 : kRowsPerTurn));
    while (m_next < turnEnd) {
        if (m_gate && !m_gate()) {
            m_feedTimer->start(kGateRetry);
            return;
        }
        handOn(m_next);
        ++m_next;
        if (m_ended) {
            return;
        }
    }
    if (m_next >= m_end) {
        end();
        return;
    }
    qint64 wait = 0;
    if (m_realtime) {
        wait = std::clamp<qint64>(m_recording.utcMs(m_next) - m_recording.utcMs(m_next - 1), 0,
                                  kLongestWait.count());
    }
    m_feedTimer->start(std::chrono::milliseconds(wait));
}

void RecordingSource::handOn(qint64 row)
{
    if (row != m_first && m_recording.startsRun(row)) {
        Q_EMIT runBroken(QStringLiteral("the recording stops here"));
        Q_EMIT runStarted();
    }
    const SweepRecord sweep = m_recording.sweep(row);
    if (m_recording.width() == 1) {
        const int index = m_recording.firstIndex();
        Q_EMIT reading(
            Reading{index, sweep.dbm[static_cast<std::size_t>(index)], sweep.utcMs, sweep.mode});
    } else {
        Q_EMIT this->sweep(sweep);
    }
}

void RecordingSource::end()
{
    m_ended = true;
    Q_EMIT ended(SourceEnd{});
}
