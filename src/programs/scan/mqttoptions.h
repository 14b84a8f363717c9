#pragma once

#include "core/optiontable.h"
#include "engine/remote/mqtturl.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

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
    // Named in every payload; the client identifier is made of it, unique to this instance.
    QString receiver;
    QString clientId;
    std::chrono::seconds statsInterval = kDefaultStatsInterval;
    int queueLimit = kDefaultQueueLimit;
};

// The --mqtt options of kvt318-scan.
namespace mqttoptions {

// The rows of the options, reading them and the files they name into settings, which --mqtt
// sets; none when this build cannot publish.
QList<OptionRow> rows(std::optional<MqttSettings> &settings);

// Once the receiver's name is known: settings read without a --mqtt-topic get the prefix
// kvt318/NAME, so that every receiver has topics of its own, and the client an identifier no
// other instance has, so that the broker never takes one for the other.
void finish(std::optional<MqttSettings> &settings, const QString &receiver);

// "kvt318-NAME-PID-RAND", the name cut so that the whole stays within the 23 bytes every broker
// takes.
QString clientId(const QString &receiver, qint64 processId);

} // namespace mqttoptions
