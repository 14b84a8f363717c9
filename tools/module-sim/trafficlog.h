#pragma once

#include "simclock.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace kvtsim {

// Bytes as printable text: \\ for a backslash, \r, \n, and \xNN for any other byte outside
// the printable ASCII range.
std::string escapeBytes(std::string_view bytes);

// The --log file: "MICROSECONDS DIRECTION BYTES" per line, each line flushed at once so that a
// reader can follow it while the simulator runs. Without a path it records nothing.
class TrafficLog
{
public:
    TrafficLog() = default;
    // Throws std::system_error when the file cannot be created.
    explicit TrafficLog(const std::string &path);

    void record(std::string_view direction, std::string_view bytes, Clock::time_point at);

private:
    struct FileCloser
    {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };

    std::unique_ptr<std::FILE, FileCloser> m_file;
};

} // namespace kvtsim
