#pragma once

#include <QtGlobal>

// A share measured by counting, and how sure it is.
struct ProportionInterval
{
    // Fractions, 0 to 1.
    double low = 0.0;
    double high = 0.0;
};

// The Wilson score interval of `busy` successes in `effectiveTrials` trials (both may be
// fractional: an effective count); z = 1.959964 is 95 %. No trials: {0, 1}, nothing is known.
ProportionInterval wilsonInterval(double busy, double effectiveTrials, double z = 1.959964);

// Successive busy/idle readings of one channel. A carrier that stays on for minutes makes
// neighbours alike; the chain of two states measures how alike.
struct BusyTransitions
{
    qint64 idleToIdle = 0;
    qint64 idleToBusy = 0;
    qint64 busyToIdle = 0;
    qint64 busyToBusy = 0;

    void add(bool fromBusy, bool toBusy);
    // The lag-1 correlation of a two-state Markov chain, 1 - P(busy | idle) - P(idle | busy);
    // 0 when a state was never left from, as then there is nothing to correlate.
    [[nodiscard]] double lag1() const;
};

// Readings that are worth as much as `samples` correlated ones, by the variance inflation of an
// AR(1) series: n (1 - r) / (1 + r), within 1 and n; r <= 0 counts every reading.
double effectiveSamples(qint64 samples, double lag1);
