#include "programs/scan/mqttinfojson.h"

#include "engine/record/recordtime.h"
#include "engine/record/sweepjson.h"

namespace {
constexpr int kRateDecimals = 2;

QByteArray stringOrNull(const QString &text)
{
    return text.isEmpty() ? QByteArrayLiteral("null") : record::jsonString(text);
}
} // namespace

QByteArray mqttInfoJson(const MqttInfo &info, qint64 utcMs)
{
    const ReceiverIdentity &receiver = info.receiver;
    const QByteArray rate = info.sweepsPerSecond
                                ? QByteArray::number(*info.sweepsPerSecond, 'f', kRateDecimals)
                                : QByteArrayLiteral("null");
    return "{\"receiver\":" + record::jsonString(receiver.name) +
           ",\"model\":" + stringOrNull(receiver.model) +
           ",\"firmware\":" + stringOrNull(receiver.firmware) +
           ",\"mode\":" + stringOrNull(info.mode) + ",\"port\":" + stringOrNull(receiver.port) +
           ",\"version\":" + record::jsonString(info.version) +
           ",\"started\":" + record::jsonString(record::recordTime(info.startedUtcMs)) +
           ",\"sweeps_per_s\":" + rate +
           ",\"time\":" + record::jsonString(record::recordTime(utcMs)) + '}';
}
