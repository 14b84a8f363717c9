#include "engine/record/sweepjson.h"

#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

namespace record {

namespace {
// A JSON value: the mode's name, or null where the source did not say (csv and long recordings).
QByteArray modeValue(std::optional<RadioMode> mode)
{
    if (!mode) {
        return QByteArrayLiteral("null");
    }
    switch (*mode) {
    case RadioMode::Fsk:
        return QByteArrayLiteral("\"FSK\"");
    case RadioMode::LoRa:
        return QByteArrayLiteral("\"LoRa\"");
    case RadioMode::AirMonitor:
        return QByteArrayLiteral("\"AirMonitor\"");
    }
    return QByteArrayLiteral("null");
}
} // namespace

QByteArray sweepJson(const SweepRecord &sweep)
{
    QByteArray json = "{\"time\":\"" + recordTime(sweep.utcMs).toLatin1() + "\",\"sweep\":";
    json += QByteArray::number(sweep.sweep) + ",\"mode\":" + modeValue(sweep.mode) + ",\"dbm\":[";
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        if (i > 0) {
            json += ',';
        }
        json += QByteArray::number(sweep.dbm[i]);
    }
    return json + "]}";
}

} // namespace record
