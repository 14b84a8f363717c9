#pragma once

#include "randomsource.h"
#include "reply.h"
#include "simclock.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvtsim {

struct WireFaults
{
    bool split = false;
    Clock::duration delay{};
    // 0: no pacing.
    int baud = 0;
    int garbageBytes = 0;
};

// The module's sending side: turns replies into pieces of bytes, each due at a time, with the
// faults applied (latency, leading garbage, chunking, the pace of the wire). Pieces keep the
// order of the replies. The event loop writes them and reports how far it got.
class OutboundWire
{
public:
    OutboundWire(WireFaults faults, std::uint64_t seed);

    void send(Reply reply, Clock::time_point readyAt);

    // When the next piece is due; none when everything has been written.
    std::optional<Clock::time_point> nextDue() const;
    // The unwritten bytes of the next piece.
    std::string_view dueBytes() const;
    // Marks `count` bytes of the next piece as written. Returns the reply (garbage included)
    // whose last byte that was.
    std::optional<Reply> consume(std::size_t count);
    std::size_t pendingBytes() const { return m_pendingBytes; }

private:
    struct Piece
    {
        Clock::time_point due;
        std::string bytes;
        bool endsReply = false;
    };

    std::string garbage();
    std::vector<std::string> chunks(const std::string &bytes);
    void queue(const std::string &bytes, Clock::time_point earliest);

    WireFaults m_faults;
    RandomSource m_random;
    std::deque<Piece> m_pieces;
    std::deque<Reply> m_inFlight;
    std::size_t m_frontWritten = 0;
    std::size_t m_pendingBytes = 0;
    // When the last queued byte is out; nothing queued later may leave earlier.
    Clock::time_point m_lineFree{};
};

} // namespace kvtsim
