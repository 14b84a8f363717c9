#include "engine/occupancy/noisefloor.h"

#include <algorithm>

void NoiseFloor::add(qint64 utcMs, qint16 dbm)
{
    if (m_ring.empty()) {
        m_ring.resize(kCapacity);
    }
    while (m_size > 0 && (m_size == kCapacity || m_ring[m_first].utcMs <= utcMs - kSpan.count())) {
        dropOldest();
    }
    const qint16 clamped = std::clamp(dbm, kLowestDbm, kHighestDbm);
    m_ring[(m_first + m_size) % kCapacity] = {utcMs, clamped};
    ++m_size;
    const auto bin = static_cast<std::size_t>(clamped - kLowestDbm);
    ++m_counts[bin];
    m_below += bin < m_bin ? 1 : 0;
}

void NoiseFloor::dropOldest()
{
    const auto bin = static_cast<std::size_t>(m_ring[m_first].dbm - kLowestDbm);
    --m_counts[bin];
    m_below -= bin < m_bin ? 1 : 0;
    m_first = (m_first + 1) % kCapacity;
    --m_size;
}

int NoiseFloor::valueAt(std::size_t rank) const
{
    // rank < m_size: both walks end inside the histogram.
    while (m_below > rank) {
        --m_bin;
        m_below -= m_counts[m_bin];
    }
    while (m_below + m_counts[m_bin] <= rank) {
        m_below += m_counts[m_bin];
        ++m_bin;
    }
    return kLowestDbm + static_cast<int>(m_bin);
}

double NoiseFloor::median() const
{
    if (m_size == 0) {
        return kLowestDbm;
    }
    const std::size_t middle = m_size / 2;
    if (m_size % 2 == 1) {
        return valueAt(middle);
    }
    return (valueAt(middle - 1) + valueAt(middle)) / 2.0;
}
