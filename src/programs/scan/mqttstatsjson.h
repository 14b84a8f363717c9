#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class ChannelStatistics;

struct MqttStatsHeader
{
    qint64 utcMs = 0;
    qint64 sweeps = 0;  // complete sweeps recorded since the start
    qint64 dropped = 0; // sweeps the broker never got because the queue was full
    QString receiver;   // none when empty
};

// The statistics as one JSON object, its channels with the summary's columns:
// {"time":"…","receiver":"north-1","sweeps":120,"dropped":0,"threshold":-100,"channels":[{"channel":7,
// "mhz":429.25,"samples":120,"min":-121,"mean":-118.4,"max":-97,"occupancy_pct":2.5,
// "bursts":3,"longest_burst_s":0.812,"last_above":"…","occupancy_low_pct":1.1,
// "occupancy_high_pct":5.6,"effective_samples":96.3,"busy_hour":14,"busy_hour_occupancy_pct":
// 12.5},…]}. A channel without readings has null levels and interval; one never above the
// threshold a null last_above. A noise-relative threshold is its text ("noise+10") and adds each
// channel's "noise_floor_dbm"; hours other than all add "hours":"Mon-Fri 08:00-18:00".
QByteArray mqttStatsJson(const MqttStatsHeader &header, const ChannelStatistics &statistics);
