#pragma once

#include "simclock.h"

#include <optional>
#include <string>

namespace kvtsim {

struct ReceivedLine
{
    std::string command;
    // "\r\n", "\r" or "\n", as it arrived.
    std::string terminator;
    // When the line's last byte arrived.
    Clock::time_point at;
};

// Cuts the bytes from the client into command lines. A line ends at CR LF, a bare CR or a
// bare LF; a CR whose LF comes in a later read still makes one line.
class LineAssembler
{
public:
    // Takes one byte that arrived at `arrival`; returns the line it completes, if any.
    std::optional<ReceivedLine> push(char byte, Clock::time_point arrival);
    // No more bytes are at hand: a trailing CR ends its line now, and a LF that follows it
    // later is dropped.
    std::optional<ReceivedLine> endOfInput();
    // True while the last byte was a CR whose line waits for a possible LF.
    bool awaitsLf() const { return m_afterCr; }

private:
    std::optional<ReceivedLine> accept(char byte, Clock::time_point arrival);
    ReceivedLine finish(const char *terminator, Clock::time_point at);

    std::string m_text;
    bool m_afterCr = false;
    Clock::time_point m_crAt;
    bool m_dropLf = false;
};

} // namespace kvtsim
