#pragma once

#include "core/channelplan.h"
#include "engine/record/devicewriter.h"

#include <QTimeZone>

#include <array>
#include <chrono>

// The CSV rtl_power writes, which its heat-map renderers and spreadsheets read: per interval
// one row "date, time, Hz low, Hz high, Hz step, samples, dB, …" with ", " between fields and
// the local time of the interval's start, each level the mean in linear power of the sweeps in
// it, samples the number of sweeps. Intervals start at the first sweep's whole second and
// follow each other by the interval's length, so no two rows share a time text; an interval
// without sweeps has no row.
class RtlPowerWriter : public DeviceWriter
{
public:
    static constexpr std::chrono::seconds kDefaultInterval{1};

    explicit RtlPowerWriter(QIODevice &device, std::chrono::seconds interval = kDefaultInterval,
                            QTimeZone zone = QTimeZone::systemTimeZone());

    bool writeSweep(const SweepRecord &sweep) override;
    bool writeEnd() override;

private:
    bool writePending();

    qint64 m_intervalMs;
    QTimeZone m_zone;
    bool m_started = false;
    qint64 m_startMs = 0;
    qint64 m_samples = 0;
    std::array<double, channelplan::kChannelCount> m_power{};
};
