#include "engine/record/sweepjson.h"

#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

namespace record {

namespace {
QByteArray modeName(RadioMode mode)
{
    switch (mode) {
    case RadioMode::Fsk:
        return QByteArrayLiteral("FSK");
    case RadioMode::LoRa:
        return QByteArrayLiteral("LoRa");
    case RadioMode::AirMonitor:
        return QByteArrayLiteral("AirMonitor");
    }
    return {};
}
} // namespace

QByteArray sweepJson(const SweepRecord &sweep)
{
    QByteArray json = "{\"time\":\"" + recordTime(sweep.utcMs).toLatin1() + "\",\"sweep\":";
    json +=
        QByteArray::number(sweep.sweep) + ",\"mode\":\"" + modeName(sweep.mode) + "\",\"dbm\":[";
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        if (i > 0) {
            json += ',';
        }
        json += QByteArray::number(sweep.dbm[i]);
    }
    return json + "]}";
}

} // namespace record
