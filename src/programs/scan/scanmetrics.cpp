#include "programs/scan/scanmetrics.h"
#include "core/channelplan.h"

#include "engine/protocol/reading.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

namespace {
constexpr double kMsPerSecond = 1000.0;
constexpr double kPercent = 100.0;
constexpr int kSecondsDecimals = 3;
constexpr int kRatioDecimals = 6;

void family(QByteArray &text, const char *name, const char *type, const char *help)
{
    text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
}

void sample(QByteArray &text, const char *name, const QByteArray &value)
{
    text += QByteArray(name) + ' ' + value + '\n';
}

// A label value as the text format wants it: backslash, double quote and line feed escaped.
QByteArray labelValue(const QString &text)
{
    QByteArray value;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == '"') {
            value += '\\';
            value += c;
        } else if (c == '\n') {
            value += "\\n";
        } else {
            value += c;
        }
    }
    return value;
}

QByteArray channelLabels(int index)
{
    return "{channel=\"" + QByteArray::number(channelplan::channelNumber(index)) + "\",mhz=\"" +
           record::channelMhz(index).toLatin1() + "\"} ";
}
} // namespace

void ScanMetrics::addReading(const Reading &reading)
{
    if (reading.index >= 0 && reading.index < MonitorState::kChannelCount) {
        m_latest[static_cast<std::size_t>(reading.index)] = reading.dbm;
    }
}

void ScanMetrics::addSweep(const SweepRecord &sweep)
{
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        addReading(
            Reading{index, sweep.dbm[static_cast<std::size_t>(index)], sweep.utcMs, sweep.mode});
    }
}

void ScanMetrics::setSweeps(qint64 count, std::optional<qint64> lastUtcMs)
{
    m_sweeps = count;
    m_lastSweepUtcMs = lastUtcMs;
}

QByteArray ScanMetrics::render(const ChannelStatistics &statistics) const
{
    QByteArray text;
    family(text, "kvt318_info", "gauge",
           "Always 1; the receiver's name, the module's model and firmware and the port.");
    text += "kvt318_info{receiver=\"" + labelValue(m_receiver.name) + "\",model=\"" +
            labelValue(m_receiver.model) + "\",firmware=\"" + labelValue(m_receiver.firmware) +
            "\",port=\"" + labelValue(m_receiver.port) + "\"} 1\n";
    family(text, "kvt318_up", "gauge", "1 while the module is sweeping, else 0.");
    sample(text, "kvt318_up", m_up ? "1" : "0");
    family(text, "kvt318_sweeps_total", "counter", "Complete sweeps recorded.");
    sample(text, "kvt318_sweeps_total", QByteArray::number(m_sweeps));
    family(text, "kvt318_last_sweep_timestamp_seconds", "gauge",
           "When the last complete sweep ended, in seconds since the epoch.");
    if (m_lastSweepUtcMs) {
        sample(text, "kvt318_last_sweep_timestamp_seconds",
               QByteArray::number(static_cast<double>(*m_lastSweepUtcMs) / kMsPerSecond, 'f',
                                  kSecondsDecimals));
    }

    family(text, "kvt318_rssi_dbm", "gauge", "The latest level read on the channel, in dBm.");
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        if (const auto &dbm = m_latest[static_cast<std::size_t>(i)]) {
            text += "kvt318_rssi_dbm" + channelLabels(i) + QByteArray::number(*dbm) + '\n';
        }
    }
    QByteArray maxima;
    QByteArray occupancy;
    QByteArray low;
    QByteArray high;
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        const ChannelSummary summary = statistics.channel(i);
        if (summary.samples == 0) {
            continue;
        }
        maxima += "kvt318_max_dbm" + channelLabels(i) + QByteArray::number(summary.max) + '\n';
        const auto ratio = [](double pct) {
            return QByteArray::number(pct / kPercent, 'f', kRatioDecimals) + '\n';
        };
        occupancy += "kvt318_occupancy_ratio" + channelLabels(i) + ratio(summary.occupancyPct);
        low += "kvt318_occupancy_low_ratio" + channelLabels(i) + ratio(summary.occupancyLowPct);
        high += "kvt318_occupancy_high_ratio" + channelLabels(i) + ratio(summary.occupancyHighPct);
    }
    family(text, "kvt318_max_dbm", "gauge", "The highest level read on the channel, in dBm.");
    text += maxima;
    family(text, "kvt318_occupancy_ratio", "gauge",
           "Share of the channel's readings above the threshold, 0 to 1.");
    text += occupancy;
    family(text, "kvt318_occupancy_low_ratio", "gauge",
           "Lower bound of the occupancy's 95 % interval (Wilson, effectively independent "
           "readings), 0 to 1.");
    text += low;
    family(text, "kvt318_occupancy_high_ratio", "gauge",
           "Upper bound of the occupancy's 95 % interval, 0 to 1.");
    text += high;

    family(text, "kvt318_rows_written_total", "counter",
           "Rows of the recording file handed to the system.");
    sample(text, "kvt318_rows_written_total", QByteArray::number(m_rowsWritten));
    family(text, "kvt318_records_dropped_total", "counter",
           "Rows the recording file dropped without writing them: it failed, or its disk was short "
           "of room.");
    sample(text, "kvt318_records_dropped_total", QByteArray::number(m_rowsDropped));
    if (m_mqttDropped) {
        family(text, "kvt318_mqtt_dropped_total", "counter",
               "Sweeps dropped from the queue for the MQTT broker.");
        sample(text, "kvt318_mqtt_dropped_total", QByteArray::number(*m_mqttDropped));
    }
    renderAlarms(text);
    return text;
}

void ScanMetrics::renderAlarms(QByteArray &text) const
{
    if (!m_alarms) {
        return;
    }
    family(text, "kvt318_alarm_active", "gauge", "Alarms raised now on the channel.");
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        text += "kvt318_alarm_active" + channelLabels(i) +
                QByteArray::number(m_alarms->raised[static_cast<std::size_t>(i)]) + '\n';
    }
    family(text, "kvt318_alarm_events_total", "counter",
           "Alarm events: raised, cleared, and ended by the end of a run or a lost port.");
    constexpr const char *kKinds[] = {"raised", "cleared", "ended"};
    for (std::size_t kind = 0; kind < m_alarms->events.size(); ++kind) {
        text += QByteArray("kvt318_alarm_events_total{event=\"") + kKinds[kind] + "\"} " +
                QByteArray::number(m_alarms->events[kind]) + '\n';
    }
}
