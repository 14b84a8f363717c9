#include "engine/remote/alarmeventjson.h"

#include "core/channelplan.h"
#include "engine/record/recordlines.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace alarms {

namespace {
constexpr double kMsPerSecond = 1000.0;

std::optional<AlarmEvent::Kind> kindNamed(const QString &name)
{
    for (const auto kind :
         {AlarmEvent::Kind::Raised, AlarmEvent::Kind::Cleared, AlarmEvent::Kind::Ended}) {
        if (kindName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}
} // namespace

std::optional<AlarmEvent> readEventJson(const QByteArray &payload)
{
    const QJsonObject object = QJsonDocument::fromJson(payload).object();
    const QByteArray time = object.value(QLatin1String("time")).toString().toLatin1();
    const auto utcMs =
        recordlines::readTime(std::string_view(time.constData(), std::size_t(time.size())));
    const auto kind = kindNamed(object.value(QLatin1String("event")).toString());
    const int channel = object.value(QLatin1String("channel")).toInt(0);
    if (!utcMs || !kind || channel < channelplan::kFirstChannel ||
        channel > channelplan::kLastChannel) {
        return std::nullopt;
    }
    AlarmEvent event;
    event.kind = *kind;
    event.utcMs = *utcMs;
    event.index = channelplan::channelIndex(channel);
    event.dbm = static_cast<qint16>(object.value(QLatin1String("dbm")).toInt());
    event.peakDbm = static_cast<qint16>(object.value(QLatin1String("peak_dbm")).toInt());
    const QJsonValue duration = object.value(QLatin1String("duration_s"));
    if (duration.isDouble()) {
        event.durationMs = std::llround(duration.toDouble() * kMsPerSecond);
    }
    event.rule = object.value(QLatin1String("rule")).toString();
    event.reason = object.value(QLatin1String("reason")).toString();
    return event;
}

} // namespace alarms
