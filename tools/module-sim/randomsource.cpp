#include "randomsource.h"

#include <algorithm>
#include <cmath>

namespace kvtsim {

namespace {
constexpr int kMantissaBits = 53;
constexpr int kDiscardedBits = 64 - kMantissaBits;
constexpr double kMantissaScale = 0x1.0p-53;
constexpr double kTwoPi = 6.283185307179586;
} // namespace

RandomSource::RandomSource(std::uint64_t seed)
    : m_engine(seed)
{}

double RandomSource::uniform()
{
    return static_cast<double>(m_engine() >> kDiscardedBits) * kMantissaScale;
}

double RandomSource::gaussian()
{
    // Box-Muller; 1 - uniform() lies in (0, 1], so the logarithm is finite.
    const double radius = std::sqrt(-2.0 * std::log(1.0 - uniform()));
    return radius * std::cos(kTwoPi * uniform());
}

int RandomSource::between(int low, int high)
{
    const double span = static_cast<double>(high) - static_cast<double>(low) + 1.0;
    const int offset = static_cast<int>(std::floor(uniform() * span));
    return std::min(low + offset, high);
}

std::uint64_t RandomSource::derive(std::uint64_t seed, std::uint64_t stream)
{
    // splitmix64 finaliser over seed and stream.
    std::uint64_t z = seed + (stream + 1) * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace kvtsim
