#include "engine/record/levelhistogram.h"

#include <algorithm>

void LevelHistogram::add(qint16 dbm)
{
    const qint16 clamped = std::clamp(dbm, kLowest, kHighest);
    ++m_bins[static_cast<std::size_t>(clamped - kLowest)];
    ++m_count;
}

void LevelHistogram::clear()
{
    m_bins.fill(0);
    m_count = 0;
}

qint16 LevelHistogram::percentile(int percent) const
{
    constexpr qint64 kWhole = 100;
    const qint64 rank = std::max<qint64>(1, (percent * m_count + kWhole - 1) / kWhole);
    qint64 seen = 0;
    for (int bin = 0; bin < kBins; ++bin) {
        seen += m_bins[static_cast<std::size_t>(bin)];
        if (seen >= rank) {
            return static_cast<qint16>(kLowest + bin);
        }
    }
    return kLowest;
}
