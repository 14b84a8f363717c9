#include "engine/record/rtlpowerwriter.h"
#include "core/channelplan.h"

#include "engine/record/sweeprecord.h"

#include <QDateTime>

#include <cmath>

namespace {
constexpr qint64 kMsPerSecond = 1000;
constexpr double kHzPerMhz = 1e6;
constexpr auto kLowHz = static_cast<qint64>(channelplan::kFirstChannelMhz * kHzPerMhz);
constexpr auto kStepHz = channelplan::kChannelStepMhz * kHzPerMhz;
constexpr auto kHighHz = kLowHz + static_cast<qint64>(kStepHz * channelplan::kChannelCount);
constexpr int kDecimals = 2;
constexpr double kDbPerBel = 10.0;

double toPower(qint16 dbm)
{
    return std::pow(kDbPerBel, dbm / kDbPerBel);
}
} // namespace

RtlPowerWriter::RtlPowerWriter(QIODevice &device, std::chrono::seconds interval, QTimeZone zone)
    : DeviceWriter(device)
    , m_intervalMs(std::chrono::milliseconds(interval).count())
    , m_zone(std::move(zone))
{}

bool RtlPowerWriter::writeSweep(const SweepRecord &sweep)
{
    bool written = true;
    if (!m_started) {
        m_started = true;
        m_startMs = sweep.utcMs - sweep.utcMs % kMsPerSecond;
    } else if (sweep.utcMs >= m_startMs + m_intervalMs) {
        written = m_samples == 0 || writePending();
        // A gap without sweeps skips whole intervals; a clock set back stays in this one.
        m_startMs += (sweep.utcMs - m_startMs) / m_intervalMs * m_intervalMs;
    }
    for (std::size_t i = 0; i < m_power.size(); ++i) {
        m_power[i] += toPower(sweep.dbm[i]);
    }
    ++m_samples;
    return written;
}

bool RtlPowerWriter::writeEnd()
{
    return m_samples == 0 || writePending();
}

bool RtlPowerWriter::writePending()
{
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(m_startMs, m_zone);
    QByteArray row = start.toString(QStringLiteral("yyyy-MM-dd, HH:mm:ss")).toLatin1();
    row += ", " + QByteArray::number(kLowHz) + ", " + QByteArray::number(kHighHz) + ", " +
           QByteArray::number(kStepHz, 'f', kDecimals) + ", " + QByteArray::number(m_samples);
    for (double &power : m_power) {
        const double mean = power / static_cast<double>(m_samples);
        row += ", " + QByteArray::number(kDbPerBel * std::log10(mean), 'f', kDecimals);
        power = 0.0;
    }
    m_samples = 0;
    return writeLine(row + '\n');
}
