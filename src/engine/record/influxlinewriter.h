#pragma once

#include "engine/record/devicewriter.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

using InfluxTags = QList<std::pair<QString, QString>>;

// InfluxDB line protocol, one line per reading:
// kvt318,port=ttyUSB0,channel=30,site=north dbm=-72i,mhz=429.5375 1765092600123000000
// with the time in nanoseconds since the epoch. Commas, equals signs and spaces in tags are
// escaped as the protocol defines. The lines of a sweep go to the system together, once its last
// channel is in or the next sweep begins, so a crash loses at most the sweep in progress.
class InfluxLineWriter : public DeviceWriter
{
public:
    // port: the tag naming the port ("ttyUSB0"), none when empty; tags follow the channel.
    InfluxLineWriter(QIODevice &device, const QString &port, const InfluxTags &tags);

    bool writeSweep(const SweepRecord &sweep) override;
    bool writeReading(const Reading &reading) override;
    bool writeEnd() override;

private:
    QByteArray m_prefix;
    QByteArray m_tags;
    QByteArray m_pending;
    int m_lastIndex = -1;
};

namespace influx {

// Why a KEY=VALUE tag cannot be written, or nothing when it can. The protocol has no escape for
// a line end or a trailing backslash, and the writer's own tags and "time" are taken.
std::optional<QString> tagProblem(const QString &key, const QString &value);
// Commas, equals signs and spaces escaped with a backslash, as in tag keys and values.
QByteArray escapeTag(const QString &text);

} // namespace influx
