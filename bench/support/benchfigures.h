#pragma once

#include <sys/resource.h>

#include <cstdio>

// A figure as bench/run reads it: its name and value on a line of their own, at once.
inline void figure(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

// The largest resident size any ended child process reached, in MiB.
inline double childrenPeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
