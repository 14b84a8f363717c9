#pragma once

#include "engine/protocol/monitorstate.h"
#include "engine/record/receiveridentity.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <optional>

class ChannelStatistics;
struct Reading;
struct SweepRecord;

// What kvt318-scan tells Prometheus, and its text exposition format: which receiver it is, as
// an info metric that is always 1 and holds the identity in its labels; whether it sweeps, the
// sweeps so far and the time of the last one, per channel the latest level, the held maximum
// and the occupancy with its 95 % interval, the rows the recording file has taken or dropped, and
// the sweeps lost on the way to the broker.
class ScanMetrics
{
public:
    static constexpr char kContentType[] = "text/plain; version=0.0.4; charset=utf-8";

    void setReceiver(const ReceiverIdentity &receiver) { m_receiver = receiver; }
    void setUp(bool up) { m_up = up; }
    void addReading(const Reading &reading);
    void addSweep(const SweepRecord &sweep);
    // Complete sweeps so far (readings with a single channel), and when the last one ended.
    void setSweeps(qint64 count, std::optional<qint64> lastUtcMs);
    // Rows of the recording file handed to the system; behind the sweeps, the disk lags.
    void setRowsWritten(qint64 rows) { m_rowsWritten = rows; }
    // Rows a failed recording file dropped.
    void setRowsDropped(qint64 rows) { m_rowsDropped = rows; }
    // Only a scanner that publishes has the MQTT counter.
    void setMqttDropped(qint64 sweeps) { m_mqttDropped = sweeps; }

    // Only a scanner with alarm rules has the alarm metrics.
    struct Alarms
    {
        // Alarms raised now, per channel index.
        std::array<int, MonitorState::kChannelCount> raised{};
        // Events so far: raised, cleared, ended.
        std::array<qint64, 3> events{};
    };
    void setAlarms(const Alarms &alarms) { m_alarms = alarms; }

    [[nodiscard]] QByteArray render(const ChannelStatistics &statistics) const;

private:
    void renderAlarms(QByteArray &text) const;

    ReceiverIdentity m_receiver;
    bool m_up = false;
    qint64 m_sweeps = 0;
    std::optional<qint64> m_lastSweepUtcMs;
    std::array<std::optional<qint16>, MonitorState::kChannelCount> m_latest{};
    qint64 m_rowsWritten = 0;
    qint64 m_rowsDropped = 0;
    std::optional<qint64> m_mqttDropped;
    std::optional<Alarms> m_alarms;
};
