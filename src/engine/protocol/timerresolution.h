#pragma once

// The 1 ms timer resolution that the pause before an RSSI read relies on. Only Windows has
// such a setting; elsewhere both calls do nothing.
namespace timerresolution {

void request();
void release();

} // namespace timerresolution
