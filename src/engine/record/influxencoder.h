#pragma once

#include "engine/record/influxtags.h"
#include "engine/record/recordencoder.h"

// InfluxDB line protocol, one line per reading:
// kvt318,receiver=north-1,port=ttyUSB0,channel=30,site=north dbm=-72i,mhz=429.5375
// 1765092600123000000 with the time in nanoseconds since the epoch. Commas, equals signs and spaces
// in tags are escaped as the protocol defines. The lines of a sweep come out together, once its
// last channel is in or the next sweep begins, so that a crash loses at most the sweep in progress.
class InfluxEncoder : public RecordEncoder
{
public:
    // port and receiver: the tags naming the port ("ttyUSB0") and the receiver, none when empty;
    // tags follow the channel.
    InfluxEncoder(const QString &port, const InfluxTags &tags, const QString &receiver = {});

    QByteArray sweep(const SweepRecord &sweep) override;
    QByteArray reading(const Reading &reading) override;
    QByteArray end() override;

private:
    QByteArray m_prefix;
    QByteArray m_tags;
    QByteArray m_pending;
    int m_lastIndex = -1;
};
