#pragma once

#include <chrono>

namespace kvtsim {

// Every time in the simulator comes from this clock, so that the traffic log can be compared
// with the client's own monotonic clock.
using Clock = std::chrono::steady_clock;

} // namespace kvtsim
