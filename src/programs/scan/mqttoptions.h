#pragma once

#include "core/optiontable.h"
#include "engine/remote/mqtturl.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

// What the publisher needs to reach the broker and what to publish there.
struct MqttSettings
{
    static constexpr int kDefaultQueueLimit = 1000;
    static constexpr std::chrono::seconds kDefaultStatsInterval{60};

    MqttUrl broker;
    QString caFile;
    QString user;
    QByteArray password;
    QString topicPrefix;
    std::chrono::seconds statsInterval = kDefaultStatsInterval;
    int queueLimit = kDefaultQueueLimit;
};

// The --mqtt options of kvt318-scan.
namespace mqttoptions {

// The rows of the options, reading them and the files they name into settings, which --mqtt
// sets; none when this build cannot publish.
QList<OptionRow> rows(std::optional<MqttSettings> &settings);

// Settings read without a --mqtt-topic get the default prefix, which names this computer and the
// serial port (or the replayed file), so that every scanner has topics of its own.
void finish(std::optional<MqttSettings> &settings, const QString &portName,
            const QString &hostName);

QString defaultTopicPrefix(const QString &hostName, const QString &portName);

} // namespace mqttoptions
