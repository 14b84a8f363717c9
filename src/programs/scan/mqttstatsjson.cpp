#include "programs/scan/mqttstatsjson.h"
#include "core/channelplan.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/recordtime.h"
#include "engine/record/sweepjson.h"

namespace {
constexpr int kOneDecimal = 1;
constexpr int kMillisecondDecimals = 3;
constexpr double kMsPerSecond = 1000.0;

QByteArray quoted(const QString &text)
{
    return '"' + text.toLatin1() + '"';
}

QByteArray figure(double value)
{
    return QByteArray::number(value, 'f', kOneDecimal);
}

// The interval and busy hour, null where there is nothing to say; the floor when used.
QByteArray occupancyJson(const ChannelSummary &summary, bool noiseRelative)
{
    const bool counted = summary.hourSamples > 0;
    const auto orNull = [](bool known, const QByteArray &value) {
        return known ? value : QByteArrayLiteral("null");
    };
    QByteArray json =
        ",\"occupancy_low_pct\":" + orNull(counted, figure(summary.occupancyLowPct)) +
        ",\"occupancy_high_pct\":" + orNull(counted, figure(summary.occupancyHighPct)) +
        ",\"effective_samples\":" + figure(summary.effectiveSamples) + ",\"busy_hour\":" +
        orNull(summary.busyHour.has_value(), QByteArray::number(summary.busyHour.value_or(0))) +
        ",\"busy_hour_occupancy_pct\":" +
        orNull(summary.busyHour.has_value(), figure(summary.busyHourOccupancyPct));
    if (noiseRelative) {
        json += ",\"noise_floor_dbm\":" + orNull(summary.noiseFloorDbm.has_value(),
                                                 figure(summary.noiseFloorDbm.value_or(0.0)));
    }
    return json;
}

QByteArray channelJson(const ChannelSummary &summary, bool noiseRelative)
{
    const bool measured = summary.samples > 0;
    const auto level = [measured](const QByteArray &value) {
        return measured ? value : QByteArrayLiteral("null");
    };
    return "{\"channel\":" + QByteArray::number(channelplan::channelNumber(summary.index)) +
           ",\"mhz\":" + record::channelMhz(summary.index).toLatin1() +
           ",\"samples\":" + QByteArray::number(summary.samples) +
           ",\"min\":" + level(QByteArray::number(summary.min)) +
           ",\"mean\":" + level(QByteArray::number(summary.mean, 'f', kOneDecimal)) +
           ",\"max\":" + level(QByteArray::number(summary.max)) +
           ",\"occupancy_pct\":" + QByteArray::number(summary.occupancyPct, 'f', kOneDecimal) +
           ",\"bursts\":" + QByteArray::number(summary.bursts) + ",\"longest_burst_s\":" +
           QByteArray::number(static_cast<double>(summary.longestBurstMs) / kMsPerSecond, 'f',
                              kMillisecondDecimals) +
           ",\"last_above\":" +
           (summary.lastAboveUtcMs ? quoted(record::recordTime(*summary.lastAboveUtcMs))
                                   : QByteArrayLiteral("null")) +
           occupancyJson(summary, noiseRelative) + '}';
}
} // namespace

QByteArray mqttStatsJson(const MqttStatsHeader &header, const ChannelStatistics &statistics)
{
    const OccupancyThreshold occupancyThreshold = statistics.occupancyThreshold();
    // A level stays a number; a margin over the floor is its text.
    const QByteArray threshold = occupancyThreshold.noiseRelative
                                     ? quoted(occupancyThreshold.text())
                                     : QByteArray::number(occupancyThreshold.dbm);
    const QByteArray hours = statistics.hours().isAlways()
                                 ? QByteArray()
                                 : ",\"hours\":" + quoted(statistics.hours().text());
    QByteArray json = "{\"time\":" + quoted(record::recordTime(header.utcMs)) +
                      record::receiverField(header.receiver) +
                      ",\"sweeps\":" + QByteArray::number(header.sweeps) +
                      ",\"dropped\":" + QByteArray::number(header.dropped) +
                      ",\"threshold\":" + threshold + hours + ",\"channels\":[";
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        if (i > 0) {
            json += ',';
        }
        json += channelJson(statistics.channel(i), occupancyThreshold.noiseRelative);
    }
    return json + "]}";
}
