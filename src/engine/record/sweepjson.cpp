#include "engine/record/sweepjson.h"

#include "engine/record/recordtime.h"
#include "engine/record/sweeprecord.h"

#include <QJsonArray>
#include <QJsonDocument>

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

QByteArray sweepJson(const SweepRecord &sweep, const QByteArray &receiverField)
{
    QByteArray json =
        "{\"time\":\"" + recordTime(sweep.utcMs).toLatin1() + '"' + receiverField + ",\"sweep\":";
    json += QByteArray::number(sweep.sweep) + ",\"mode\":" + modeValue(sweep.mode) + ",\"dbm\":[";
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        if (i > 0) {
            json += ',';
        }
        json += QByteArray::number(sweep.dbm[i]);
    }
    return json + "]}";
}

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray receiverField(const QString &name)
{
    return name.isEmpty() ? QByteArray() : ",\"receiver\":" + jsonString(name);
}

} // namespace record
