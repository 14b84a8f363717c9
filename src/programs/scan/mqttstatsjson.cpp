#include "programs/scan/mqttstatsjson.h"
#include "core/channelplan.h"

#include "engine/record/channelstatistics.h"
#include "engine/record/recordtime.h"

namespace {
constexpr int kOneDecimal = 1;
constexpr int kMillisecondDecimals = 3;
constexpr double kMsPerSecond = 1000.0;

QByteArray quoted(const QString &text)
{
    return '"' + text.toLatin1() + '"';
}

QByteArray channelJson(const ChannelSummary &summary)
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
           '}';
}
} // namespace

QByteArray mqttStatsJson(const MqttStatsHeader &header, const ChannelStatistics &statistics)
{
    QByteArray json = "{\"time\":" + quoted(record::recordTime(header.utcMs)) +
                      ",\"sweeps\":" + QByteArray::number(header.sweeps) +
                      ",\"dropped\":" + QByteArray::number(header.dropped) +
                      ",\"threshold\":" + QByteArray::number(statistics.threshold()) +
                      ",\"channels\":[";
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        if (i > 0) {
            json += ',';
        }
        json += channelJson(statistics.channel(i));
    }
    return json + "]}";
}
