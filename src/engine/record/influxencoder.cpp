#include "engine/record/influxencoder.h"

#include "core/channelplan.h"
#include "engine/protocol/reading.h"
#include "engine/record/recordtime.h"

#include <utility>

namespace {
constexpr qint64 kNsPerMs = 1000000;
} // namespace

InfluxEncoder::InfluxEncoder(const QString &port, const InfluxTags &tags, const QString &receiver)
    : m_prefix("kvt318")
{
    if (!receiver.isEmpty()) {
        m_prefix += ",receiver=" + influx::escapeTag(receiver);
    }
    if (!port.isEmpty()) {
        m_prefix += ",port=" + influx::escapeTag(port);
    }
    m_prefix += ",channel=";
    for (const auto &[key, value] : tags) {
        m_tags += ',' + influx::escapeTag(key) + '=' + influx::escapeTag(value);
    }
}

QByteArray InfluxEncoder::sweep(const SweepRecord &)
{
    return {};
}

QByteArray InfluxEncoder::reading(const Reading &reading)
{
    QByteArray lines;
    if (reading.index <= m_lastIndex) {
        lines = end();
    }
    m_pending += m_prefix + QByteArray::number(channelplan::channelNumber(reading.index)) + m_tags +
                 " dbm=" + QByteArray::number(reading.dbm) +
                 "i,mhz=" + record::channelMhz(reading.index).toLatin1() + ' ' +
                 QByteArray::number(reading.utcMs * kNsPerMs) + '\n';
    m_lastIndex = reading.index;
    if (reading.index == channelplan::kLastIndex) {
        lines += end();
    }
    return lines;
}

QByteArray InfluxEncoder::end()
{
    m_lastIndex = -1;
    return std::exchange(m_pending, {});
}
