#pragma once

#include "randomsource.h"
#include "simclock.h"

namespace kvtsim {

// The on/off pattern of one carrier: bursts of a few hundred milliseconds, on for the given
// fraction of the time. Queried with times since the simulator started, in rising order.
class CarrierBurst
{
public:
    CarrierBurst(double duty, std::uint64_t seed);

    bool isOn(Clock::duration at);

private:
    Clock::duration nextLength();

    double m_duty = 1.0;
    RandomSource m_random;
    bool m_on = true;
    Clock::duration m_switchAt = Clock::duration::max();
};

} // namespace kvtsim
