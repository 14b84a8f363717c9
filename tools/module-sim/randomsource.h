#pragma once

#include <cstdint>
#include <random>

namespace kvtsim {

// Reproducible random draws: the engine's sequence is fixed by the C++ standard, and the
// conversions below are our own, so a seed gives the same scene on every platform.
class RandomSource
{
public:
    explicit RandomSource(std::uint64_t seed);

    // Uniform in [0, 1).
    double uniform();
    // Standard normal.
    double gaussian();
    // Uniform in [low, high], both included.
    int between(int low, int high);

    // An independent seed for one consumer, so that adding draws in one place does not shift
    // the draws of another.
    static std::uint64_t derive(std::uint64_t seed, std::uint64_t stream);

private:
    std::mt19937_64 m_engine;
};

} // namespace kvtsim
