#pragma once

#include "simclock.h"

namespace kvtsim {

// 8N1: a start bit, eight data bits and a stop bit.
constexpr long long kBitsPerByte = 10;

// How long one byte occupies a wire of `baud` bit/s; `baud` must be positive.
constexpr Clock::duration byteDuration(int baud)
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(kBitsPerByte * 1'000'000'000LL / baud));
}

} // namespace kvtsim
