#include "engine/record/influxlinewriter.h"
#include "core/channelplan.h"

#include "engine/protocol/reading.h"
#include "engine/record/recordtime.h"

#include <QCoreApplication>

namespace {
constexpr qint64 kNsPerMs = 1000000;
} // namespace

InfluxLineWriter::InfluxLineWriter(QIODevice &device, const QString &port, const InfluxTags &tags)
    : DeviceWriter(device)
    , m_prefix("kvt318")
{
    if (!port.isEmpty()) {
        m_prefix += ",port=" + influx::escapeTag(port);
    }
    m_prefix += ",channel=";
    for (const auto &[key, value] : tags) {
        m_tags += ',' + influx::escapeTag(key) + '=' + influx::escapeTag(value);
    }
}

bool InfluxLineWriter::writeSweep(const SweepRecord &)
{
    return true;
}

bool InfluxLineWriter::writeReading(const Reading &reading)
{
    bool written = true;
    if (reading.index <= m_lastIndex) {
        written = writeEnd();
    }
    m_pending += m_prefix + QByteArray::number(channelplan::channelNumber(reading.index)) + m_tags +
                 " dbm=" + QByteArray::number(reading.dbm) +
                 "i,mhz=" + record::channelMhz(reading.index).toLatin1() + ' ' +
                 QByteArray::number(reading.utcMs * kNsPerMs) + '\n';
    m_lastIndex = reading.index;
    if (reading.index == channelplan::kLastIndex) {
        written = writeEnd() && written;
    }
    return written;
}

bool InfluxLineWriter::writeEnd()
{
    m_lastIndex = -1;
    if (m_pending.isEmpty()) {
        return true;
    }
    const bool written = writeLine(m_pending);
    m_pending.clear();
    return written;
}

namespace influx {

std::optional<QString> tagProblem(const QString &key, const QString &value)
{
    if (key.isEmpty() || value.isEmpty()) {
        return QCoreApplication::translate("influx", "a tag needs a key and a value");
    }
    for (const QString &taken :
         {QStringLiteral("port"), QStringLiteral("channel"), QStringLiteral("time")}) {
        if (key == taken) {
            return QCoreApplication::translate("influx", "the tag key %1 is the program's own")
                .arg(key);
        }
    }
    for (const QString &text : {key, value}) {
        for (const QChar c : text) {
            if (c.category() == QChar::Other_Control || c == QLatin1Char('\\')) {
                return QCoreApplication::translate(
                    "influx", "a tag cannot hold a control character or a backslash");
            }
        }
    }
    return std::nullopt;
}

QByteArray escapeTag(const QString &text)
{
    QByteArray escaped;
    for (const char c : text.toUtf8()) {
        if (c == ',' || c == '=' || c == ' ') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

} // namespace influx
