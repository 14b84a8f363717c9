#pragma once

#include "engine/record/receiveridentity.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// What a scanner says of itself on PREFIX/info, retained, so that a watcher learns which
// receiver publishes there before its first sweep.
struct MqttInfo
{
    ReceiverIdentity receiver;
    // "Air Monitor", "FSK" or "LoRa"; empty while unknown.
    QString mode;
    QString version;
    qint64 startedUtcMs = 0;
    std::optional<double> sweepsPerSecond;
};

// {"receiver":"north-1","model":"KVT-318M","firmware":"Ver1.00","mode":"Air Monitor",
// "port":"/dev/ttyUSB0","version":"1.4.0","started":"…Z","sweeps_per_s":2.4,"time":"…Z"}, keys
// in that order; what is not known is null (the model and firmware before the module answered,
// the port of a replay, the mode and the rate before the sweep). utcMs is the time published.
QByteArray mqttInfoJson(const MqttInfo &info, qint64 utcMs);
