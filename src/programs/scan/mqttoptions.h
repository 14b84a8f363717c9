#pragma once

#include "programs/scan/mqtturl.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

class QCommandLineParser;

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

void addTo(QCommandLineParser &parser);

struct Result
{
    std::optional<MqttSettings> settings; // nothing when --mqtt is not given
    QString error;                        // one line for the user; empty when all is well
};

// Reads the options and the files they name. The default topic prefix names this computer and
// the serial port, so that every scanner has topics of its own.
Result read(const QCommandLineParser &parser, const QString &portName, const QString &hostName);

QString defaultTopicPrefix(const QString &hostName, const QString &portName);

} // namespace mqttoptions
