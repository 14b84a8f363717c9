#include "lineassembler.h"

#include <utility>

namespace kvtsim {

namespace {
// Far longer than any command; a client sending endless bytes cannot grow the buffer.
constexpr std::size_t kLongestLine = 256;
constexpr char kCr = '\r';
constexpr char kLf = '\n';
} // namespace

std::optional<ReceivedLine> LineAssembler::push(char byte, Clock::time_point arrival)
{
    if (m_afterCr) {
        m_afterCr = false;
        if (byte == kLf) {
            return finish("\r\n", arrival);
        }
        ReceivedLine line = finish("\r", m_crAt);
        accept(byte, arrival);
        return line;
    }
    if (std::exchange(m_dropLf, false) && byte == kLf) {
        return std::nullopt;
    }
    return accept(byte, arrival);
}

std::optional<ReceivedLine> LineAssembler::endOfInput()
{
    if (!m_afterCr) {
        return std::nullopt;
    }
    m_afterCr = false;
    m_dropLf = true;
    return finish("\r", m_crAt);
}

std::optional<ReceivedLine> LineAssembler::accept(char byte, Clock::time_point arrival)
{
    if (byte == kCr) {
        m_afterCr = true;
        m_crAt = arrival;
        return std::nullopt;
    }
    if (byte == kLf) {
        return finish("\n", arrival);
    }
    if (m_text.size() < kLongestLine) {
        m_text.push_back(byte);
    }
    return std::nullopt;
}

ReceivedLine LineAssembler::finish(const char *terminator, Clock::time_point at)
{
    return ReceivedLine{std::exchange(m_text, std::string()), terminator, at};
}

} // namespace kvtsim
