#include "engine/record/rtlpowerencoder.h"

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

RtlPowerEncoder::RtlPowerEncoder(std::chrono::seconds interval, QTimeZone zone)
    : m_intervalMs(std::chrono::milliseconds(interval).count())
    , m_zone(std::move(zone))
{}

QByteArray RtlPowerEncoder::sweep(const SweepRecord &sweep)
{
    QByteArray row;
    if (!m_started) {
        m_started = true;
        m_startMs = sweep.utcMs - sweep.utcMs % kMsPerSecond;
    } else if (sweep.utcMs >= m_startMs + m_intervalMs) {
        row = pendingRow();
        // A gap without sweeps skips whole intervals; a clock set back stays in this one.
        m_startMs += (sweep.utcMs - m_startMs) / m_intervalMs * m_intervalMs;
    }
    for (std::size_t i = 0; i < m_power.size(); ++i) {
        m_power[i] += toPower(sweep.dbm[i]);
    }
    ++m_samples;
    return row;
}

QByteArray RtlPowerEncoder::reading(const Reading &)
{
    return {};
}

QByteArray RtlPowerEncoder::end()
{
    return pendingRow();
}

QByteArray RtlPowerEncoder::pendingRow()
{
    if (m_samples == 0) {
        return {};
    }
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
    return row + '\n';
}
