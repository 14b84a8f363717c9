#pragma once

// What this process has used so far, from getrusage: CPU time and wake-ups of all its threads
// and the largest resident set it has had; and another process's resident set now.
namespace processusage {

double cpuSeconds();
// How many times its threads have waited and been woken again (voluntary context switches).
long long wakeUps();
double peakResidentMiB();
// VmRSS of the process with this id, from /proc; -1 when it cannot be read.
double residentMiB(long long pid);

} // namespace processusage
