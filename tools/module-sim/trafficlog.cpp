#include "trafficlog.h"

#include <cerrno>
#include <system_error>

namespace kvtsim {

namespace {
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned kNibbleBits = 4;
constexpr unsigned kNibbleMask = 0x0F;
} // namespace

std::string escapeBytes(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte < kFirstPrintable || byte > kLastPrintable) {
            text += "\\x";
            text += kHexDigits[byte >> kNibbleBits];
            text += kHexDigits[byte & kNibbleMask];
        } else {
            text += c;
        }
    }
    return text;
}

TrafficLog::TrafficLog(const std::string &path)
    : m_file(std::fopen(path.c_str(), "w"))
{
    if (!m_file) {
        throw std::system_error(errno, std::generic_category(), "cannot create log " + path);
    }
}

void TrafficLog::record(std::string_view direction, std::string_view bytes, Clock::time_point at)
{
    if (!m_file) {
        return;
    }
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count();
    const std::string text = escapeBytes(bytes);
    const int written =
        std::fprintf(m_file.get(), "%lld %.*s %s\n", static_cast<long long>(micros),
                     static_cast<int>(direction.size()), direction.data(), text.c_str());
    if (written < 0 || std::fflush(m_file.get()) != 0) {
        // A full disk must not take the module down; the log just ends.
        std::fprintf(stderr, "kvt318-sim: writing the log failed; logging stops\n");
        m_file.reset();
    }
}

} // namespace kvtsim
