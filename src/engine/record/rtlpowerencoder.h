#pragma once

#include "core/channelplan.h"
#include "engine/record/recordencoder.h"

#include <QTimeZone>

#include <array>
#include <chrono>

// The CSV rtl_power writes, which its heat-map renderers and spreadsheets read: per interval
// one row "date, time, Hz low, Hz high, Hz step, samples, dB, …" with ", " between fields and
// the local time of the interval's start, each level the mean in linear power of the sweeps in
// it, samples the number of sweeps. Intervals start at the first sweep's whole second and
// follow each other by the interval's length, so no two rows share a time text; an interval
// without sweeps has no row. No header; the last interval comes out at the end.
class RtlPowerEncoder : public RecordEncoder
{
public:
    static constexpr std::chrono::seconds kDefaultInterval{1};

    explicit RtlPowerEncoder(std::chrono::seconds interval = kDefaultInterval,
                             QTimeZone zone = QTimeZone::systemTimeZone());

    QByteArray sweep(const SweepRecord &sweep) override;
    QByteArray reading(const Reading &reading) override;
    QByteArray end() override;

private:
    QByteArray pendingRow();

    qint64 m_intervalMs;
    QTimeZone m_zone;
    bool m_started = false;
    qint64 m_startMs = 0;
    qint64 m_samples = 0;
    std::array<double, channelplan::kChannelCount> m_power{};
};
