#include "engine/occupancy/proportioninterval.h"

#include <algorithm>
#include <cmath>

ProportionInterval wilsonInterval(double busy, double effectiveTrials, double z)
{
    if (effectiveTrials <= 0.0) {
        return {0.0, 1.0};
    }
    const double n = effectiveTrials;
    const double p = std::clamp(busy / n, 0.0, 1.0);
    const double z2 = z * z;
    const double denominator = 1.0 + z2 / n;
    const double centre = (p + z2 / (2.0 * n)) / denominator;
    const double half = z * std::sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * n)) / denominator;
    // At p = 0 or 1 the bound is exact in theory; rounding must not push it past.
    return {p <= 0.0 ? 0.0 : std::max(0.0, centre - half),
            p >= 1.0 ? 1.0 : std::min(1.0, centre + half)};
}

void BusyTransitions::add(bool fromBusy, bool toBusy)
{
    if (fromBusy) {
        ++(toBusy ? busyToBusy : busyToIdle);
    } else {
        ++(toBusy ? idleToBusy : idleToIdle);
    }
}

double BusyTransitions::lag1() const
{
    const qint64 fromIdle = idleToIdle + idleToBusy;
    const qint64 fromBusy = busyToIdle + busyToBusy;
    if (fromIdle == 0 || fromBusy == 0) {
        return 0.0;
    }
    return 1.0 - static_cast<double>(idleToBusy) / static_cast<double>(fromIdle) -
           static_cast<double>(busyToIdle) / static_cast<double>(fromBusy);
}

double effectiveSamples(qint64 samples, double lag1)
{
    const auto n = static_cast<double>(samples);
    if (samples <= 0 || lag1 <= 0.0) {
        return n;
    }
    return std::clamp(n * (1.0 - lag1) / (1.0 + lag1), 1.0, n);
}
