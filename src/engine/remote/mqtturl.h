#pragma once

#include <QString>

#include <optional>

// Where the broker is: mqtt://HOST[:PORT] (1883 by default) or mqtts://HOST[:PORT] (TLS, 8883).
struct MqttUrl
{
    QString host;
    int port = 0;
    bool tls = false;

    // Nothing for a text that is not such a URL (a path, a user, a query are not taken either).
    static std::optional<MqttUrl> parse(const QString &text);
};
