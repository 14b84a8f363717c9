#pragma once

// What this process has used so far, from getrusage: CPU time of all its threads and the
// largest resident set it has had.
namespace processusage {

double cpuSeconds();
double peakResidentMiB();

} // namespace processusage
