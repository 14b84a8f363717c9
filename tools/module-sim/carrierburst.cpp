#include "carrierburst.h"

#include <algorithm>

namespace kvtsim {

namespace {
// One on period plus one off period last this long on average.
constexpr std::chrono::duration<double, std::milli> kMeanCycle{600.0};
constexpr Clock::duration kShortestBurst = std::chrono::milliseconds(1);
// Each period is drawn between half and one and a half times its mean.
constexpr double kShortestShare = 0.5;
} // namespace

CarrierBurst::CarrierBurst(double duty, std::uint64_t seed)
    : m_duty(duty)
    , m_random(seed)
{
    if (m_duty <= 0.0) {
        m_on = false;
        return;
    }
    if (m_duty >= 1.0) {
        return;
    }
    m_on = m_random.uniform() < m_duty;
    m_switchAt = nextLength();
}

bool CarrierBurst::isOn(Clock::duration at)
{
    while (at >= m_switchAt) {
        m_on = !m_on;
        m_switchAt += nextLength();
    }
    return m_on;
}

Clock::duration CarrierBurst::nextLength()
{
    const double share = m_on ? m_duty : 1.0 - m_duty;
    const auto length = kMeanCycle * share * (kShortestShare + m_random.uniform());
    return std::max(std::chrono::duration_cast<Clock::duration>(length), kShortestBurst);
}

} // namespace kvtsim
