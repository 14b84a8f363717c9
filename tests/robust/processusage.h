#pragma once

#include <QtGlobal>

#include <chrono>
#include <optional>

// What this test process costs the machine, read from the kernel.
namespace processusage {

// Resident memory (VmRSS) in bytes; nothing where /proc cannot tell.
std::optional<qint64> residentBytes();

// Processor time spent so far, user and system together.
std::chrono::microseconds cpuTime();

// True when AddressSanitizer is built in: its quarantine and shadow memory make resident
// memory say nothing about the program's own growth.
constexpr bool underAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

} // namespace processusage
