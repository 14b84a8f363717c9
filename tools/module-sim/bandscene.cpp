#include "bandscene.h"

#include <algorithm>
#include <cmath>

namespace kvtsim {

namespace {
constexpr double kDecibelsPerDecade = 10.0;
constexpr std::uint64_t kJitterStream = 0;
constexpr std::uint64_t kFirstBurstStream = 1;

double toMilliwatts(double dbm)
{
    return std::pow(10.0, dbm / kDecibelsPerDecade);
}
} // namespace

BandScene::BandScene(double noiseFloorDbm, double jitterDb,
                     const std::vector<CarrierSpec> &carriers, std::uint64_t seed)
    : m_noiseFloorDbm(noiseFloorDbm)
    , m_jitterDb(jitterDb)
    , m_random(RandomSource::derive(seed, kJitterStream))
{
    std::uint64_t stream = kFirstBurstStream;
    for (const CarrierSpec &carrier : carriers) {
        m_carriers.push_back({carrier.channel, carrier.levelDbm,
                              CarrierBurst(carrier.duty, RandomSource::derive(seed, stream))});
        ++stream;
    }
}

int BandScene::reading(int channel, int samples, Clock::duration at)
{
    const double level = levelDbm(channel, at);
    const int draws = std::max(samples, 1);
    double sum = 0.0;
    for (int i = 0; i < draws; ++i) {
        sum += level + m_jitterDb * m_random.gaussian();
    }
    return static_cast<int>(std::lround(sum / draws));
}

double BandScene::levelDbm(int channel, Clock::duration at)
{
    // Powers add, decibels do not.
    double milliwatts = toMilliwatts(m_noiseFloorDbm);
    for (Carrier &carrier : m_carriers) {
        // Every burst is advanced, so that its pattern depends on time alone.
        const bool on = carrier.burst.isOn(at);
        if (on && carrier.channel == channel) {
            milliwatts += toMilliwatts(carrier.levelDbm);
        }
    }
    return kDecibelsPerDecade * std::log10(milliwatts);
}

} // namespace kvtsim
