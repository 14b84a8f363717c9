#include "engine/remote/mqtturl.h"

#include <QUrl>

namespace {
constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
} // namespace

std::optional<MqttUrl> MqttUrl::parse(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))) {
        return std::nullopt;
    }
    // A trailing slash is harmless; anything else after the authority would be ignored silently.
    const bool extraParts = !url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment() ||
                            (!url.path().isEmpty() && url.path() != QLatin1String("/"));
    if (url.host().isEmpty() || extraParts) {
        return std::nullopt;
    }
    MqttUrl parsed;
    parsed.tls = scheme == QLatin1String("mqtts");
    parsed.host = url.host();
    parsed.port = url.port(parsed.tls ? kTlsPort : kPlainPort);
    if (parsed.port <= 0) {
        return std::nullopt;
    }
    return parsed;
}
