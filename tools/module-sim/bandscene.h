#pragma once

#include "carrierburst.h"
#include "randomsource.h"
#include "simclock.h"

#include <cstdint>
#include <vector>

namespace kvtsim {

// Channel numbers the module measures.
constexpr int kFirstChannel = 7;
constexpr int kLastChannel = 46;

struct CarrierSpec
{
    int channel = kFirstChannel;
    double levelDbm = 0.0;
    // Fraction of the time the carrier is on.
    double duty = 1.0;
};

// What the module's receiver sees: a noise floor with jitter and a few carriers that may come
// and go. Readings are whole dBm.
class BandScene
{
public:
    BandScene(double noiseFloorDbm, double jitterDb, const std::vector<CarrierSpec> &carriers,
              std::uint64_t seed);

    // The mean of `samples` draws on `channel` at `at` since the start, rounded to whole dBm.
    int reading(int channel, int samples, Clock::duration at);

private:
    struct Carrier
    {
        int channel = kFirstChannel;
        double levelDbm = 0.0;
        CarrierBurst burst;
    };

    double levelDbm(int channel, Clock::duration at);

    double m_noiseFloorDbm = 0.0;
    double m_jitterDb = 0.0;
    std::vector<Carrier> m_carriers;
    RandomSource m_random;
};

} // namespace kvtsim
