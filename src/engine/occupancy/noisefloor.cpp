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
    ++m_counts[static_cast<std::size_t>(clamped - kLowestDbm)];
}

void NoiseFloor::dropOldest()
{
    --m_counts[static_cast<std::size_t>(m_ring[m_first].dbm - kLowestDbm)];
    m_first = (m_first + 1) % kCapacity;
    --m_size;
}

int NoiseFloor::valueAt(std::size_t rank) const
{
    std::size_t below = 0;
    for (std::size_t bin = 0; bin < m_counts.size(); ++bin) {
        below += m_counts[bin];
        if (below > rank) {
            return kLowestDbm + static_cast<int>(bin);
        }
    }
    return kHighestDbm;
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
