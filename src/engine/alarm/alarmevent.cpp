#include "engine/alarm/alarmevent.h"

#include "core/channelplan.h"
#include "engine/alarm/alarmengine.h"
#include "engine/record/recordtime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace alarms {

namespace {
constexpr int kSecondsDecimals = 3;
constexpr double kMsPerSecond = 1000.0;

QByteArray seconds(const std::optional<qint64> &ms)
{
    return ms ? QByteArray::number(static_cast<double>(*ms) / kMsPerSecond, 'f', kSecondsDecimals)
              : QByteArray();
}

QByteArray jsonString(const QString &text)
{
    // A one-element array is the shortest way to Qt's own string escaping.
    const QByteArray array =
        QJsonDocument(QJsonArray{QJsonValue(text)}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') &&
        !field.contains('\r')) {
        return field;
    }
    return '"' + field.replace('"', "\"\"") + '"';
}
} // namespace

QString kindName(AlarmEvent::Kind kind)
{
    switch (kind) {
    case AlarmEvent::Kind::Raised:
        return QStringLiteral("raised");
    case AlarmEvent::Kind::Cleared:
        return QStringLiteral("cleared");
    case AlarmEvent::Kind::Ended:
        return QStringLiteral("ended");
    }
    return {};
}

QByteArray eventJson(const AlarmEvent &event, const QByteArray &receiverField)
{
    const QByteArray duration = seconds(event.durationMs);
    QByteArray json =
        "{\"time\":\"" + record::recordTime(event.utcMs).toLatin1() + '"' + receiverField +
        ",\"event\":\"" + kindName(event.kind).toLatin1() +
        "\",\"channel\":" + QByteArray::number(channelplan::channelNumber(event.index)) +
        ",\"mhz\":" + record::channelMhz(event.index).toLatin1() +
        ",\"dbm\":" + QByteArray::number(event.dbm) +
        ",\"duration_s\":" + (duration.isEmpty() ? QByteArray("null") : duration) +
        ",\"peak_dbm\":" + QByteArray::number(event.peakDbm) +
        ",\"rule\":" + jsonString(event.rule);
    if (event.kind == AlarmEvent::Kind::Ended) {
        json += ",\"reason\":" + jsonString(event.reason);
    }
    return json + '}';
}

QByteArray activeJson(const AlarmEngine &engine)
{
    QByteArray json = "[";
    for (const AlarmEngine::Active &alarm : engine.active()) {
        if (json.size() > 1) {
            json += ',';
        }
        json += "{\"channel\":" + QByteArray::number(channelplan::channelNumber(alarm.index)) +
                ",\"mhz\":" + record::channelMhz(alarm.index).toLatin1() + ",\"since\":\"" +
                record::recordTime(alarm.sinceUtcMs).toLatin1() +
                "\",\"dbm\":" + QByteArray::number(alarm.dbm) +
                ",\"peak_dbm\":" + QByteArray::number(alarm.peakDbm) + ",\"rule\":" +
                jsonString(engine.rules()[static_cast<std::size_t>(alarm.rule)].text) + '}';
    }
    return json + ']';
}

QByteArray csvHeader()
{
    return QByteArrayLiteral("time,event,channel,mhz,dbm,duration_s,peak_dbm,rule,reason\n");
}

QByteArray csvRow(const AlarmEvent &event)
{
    return record::recordTime(event.utcMs).toLatin1() + ',' + kindName(event.kind).toLatin1() +
           ',' + QByteArray::number(channelplan::channelNumber(event.index)) + ',' +
           record::channelMhz(event.index).toLatin1() + ',' + QByteArray::number(event.dbm) + ',' +
           seconds(event.durationMs) + ',' + QByteArray::number(event.peakDbm) + ',' +
           csvField(event.rule) + ',' + csvField(event.reason) + '\n';
}

QString eventLine(const AlarmEvent &event)
{
    QString line = QStringLiteral("%1 channel %2 (%3 MHz) %4 at %5 dBm")
                       .arg(record::recordTime(event.utcMs))
                       .arg(channelplan::channelNumber(event.index))
                       .arg(record::channelMhz(event.index), kindName(event.kind))
                       .arg(event.dbm);
    if (event.durationMs) {
        line += QStringLiteral(" after %1 s, peak %2 dBm")
                    .arg(QString::fromLatin1(seconds(event.durationMs)))
                    .arg(event.peakDbm);
    }
    if (!event.reason.isEmpty()) {
        line += QStringLiteral(": ") + event.reason;
    }
    return line + QStringLiteral(" (%1)").arg(event.rule);
}

} // namespace alarms
