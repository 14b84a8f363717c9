#include "commandinterpreter.h"

#include "simoptions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kvtsim {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kIdSuffix = " Ver1.00";
constexpr std::size_t kVerbLength = 3;
constexpr std::size_t kChannelFieldLength = 2;
constexpr std::size_t kLongestSampleCount = 3;
constexpr int kHexBase = 16;
constexpr int kByteOffset = 256;
constexpr int kLargestByte = 255;
// *RA= carries a sign and three digits.
constexpr int kLargestRaMagnitude = 999;
constexpr std::size_t kRaDigits = 3;

Reply error()
{
    return Reply{"*ER\r\n", false};
}

std::string line(std::string_view text)
{
    std::string bytes(text);
    bytes += kLineEnd;
    return bytes;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Two upper-case hex digits naming a channel number from 7 to 46.
std::optional<int> channelFromField(std::string_view field)
{
    if (field.size() != kChannelFieldLength) {
        return std::nullopt;
    }
    const int high = hexDigit(field[0]);
    const int low = hexDigit(field[1]);
    if (high < 0 || low < 0) {
        return std::nullopt;
    }
    const int channel = high * kHexBase + low;
    if (channel < kFirstChannel || channel > kLastChannel) {
        return std::nullopt;
    }
    return channel;
}

// One to three decimal digits, not zero.
std::optional<int> sampleCount(std::string_view text)
{
    if (text.empty() || text.size() > kLongestSampleCount) {
        return std::nullopt;
    }
    int count = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        count = count * 10 + (c - '0');
    }
    if (count == 0) {
        return std::nullopt;
    }
    return count;
}

} // namespace

CommandInterpreter::CommandInterpreter(const SimOptions &options, BandScene &scene)
    : m_idLine(options.model + std::string(kIdSuffix))
    , m_answersId(options.answersId)
    , m_modeCode(options.modeCode)
    , m_scene(scene)
{}

std::optional<Reply> CommandInterpreter::handle(std::string_view command, Clock::duration at)
{
    const std::string_view verb = command.substr(0, kVerbLength);
    const std::string_view arguments = command.substr(std::min(command.size(), kVerbLength));
    if (verb == "@FV" && arguments.empty()) {
        return identify();
    }
    if (verb == "@MO" && arguments.empty()) {
        return reportMode();
    }
    if (verb == "@CH") {
        return selectChannel(arguments);
    }
    if (verb == "@RA" && arguments.empty()) {
        return readRssi(at);
    }
    if (verb == "@AM") {
        return airMonitor(arguments, at);
    }
    return error();
}

std::optional<Reply> CommandInterpreter::identify() const
{
    if (!m_answersId) {
        return std::nullopt;
    }
    return Reply{line(m_idLine), false};
}

std::optional<Reply> CommandInterpreter::reportMode() const
{
    if (!m_modeCode) {
        return std::nullopt;
    }
    return Reply{line("*MO=" + *m_modeCode), false};
}

Reply CommandInterpreter::selectChannel(std::string_view field)
{
    const std::optional<int> channel = channelFromField(field);
    if (!channel) {
        return error();
    }
    m_channel = *channel;
    return Reply{line("*CH=" + std::string(field)), false};
}

Reply CommandInterpreter::readRssi(Clock::duration at)
{
    const int dbm =
        std::clamp(m_scene.reading(m_channel, 1, at), -kLargestRaMagnitude, kLargestRaMagnitude);
    std::string digits = std::to_string(std::abs(dbm));
    digits.insert(0, kRaDigits - digits.size(), '0');
    return Reply{line(std::string("*RA=") + (dbm < 0 ? '-' : '+') + digits + "dBm"), true};
}

Reply CommandInterpreter::airMonitor(std::string_view arguments, Clock::duration at)
{
    const std::optional<int> channel = channelFromField(arguments.substr(0, kChannelFieldLength));
    const std::optional<int> samples =
        sampleCount(arguments.substr(std::min(arguments.size(), kChannelFieldLength)));
    if (!channel || !samples) {
        return error();
    }
    m_channel = *channel;
    const int byte =
        std::clamp(m_scene.reading(m_channel, *samples, at) + kByteOffset, 0, kLargestByte);
    char text[sizeof "*RS=FF"] = {};
    std::snprintf(text, sizeof text, "*RS=%02X", static_cast<unsigned>(byte));
    return Reply{line(text), true};
}

} // namespace kvtsim
