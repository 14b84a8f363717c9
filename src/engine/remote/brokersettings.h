#pragma once

#include "engine/remote/mqtturl.h"

#include <QByteArray>
#include <QString>

#include <optional>

// How to reach a broker: its URL and, for TLS and a login, the CA certificates and the user
// with the password read from a file (never typed on a command line).
struct BrokerSettings
{
    MqttUrl broker;
    // Empty: the system's CA certificates.
    QString caFile;
    QString user;
    QByteArray password;
};

namespace brokersettings {

// The first line of the file, without its line end; nothing, with "cannot read FILE: reason"
// in error, when it cannot be read.
std::optional<QByteArray> readPasswordFile(const QString &path, QString &error);

} // namespace brokersettings
