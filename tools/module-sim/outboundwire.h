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

// How the bytes that came off the wire reach the terminal.
enum class Delivery {
    // Each byte once its stop bit is in, as a port on the machine's own UART.
    Bytes,
    // A reply (or a --split chunk) in one piece once its last byte is in, as a USB adapter
    // that sends its packet at the end of a burst.
    Reply,
    // What came in within each latency timer, as a USB adapter that flushes on its timer.
    LatencyTimer,
};

struct WireFaults
{
    bool split = false;
    Clock::duration delay{};
    // 0: no pacing.
    int baud = 0;
    int garbageBytes = 0;
    Delivery delivery = Delivery::Bytes;
    // The adapter's latency timer, for Delivery::LatencyTimer.
    Clock::duration latency{};
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
    // Marks `count` bytes of the next piece as written. Returns the replies (garbage included)
    // whose last bytes those were, in order.
    std::vector<Reply> consume(std::size_t count);
    std::size_t pendingBytes() const { return m_pendingBytes; }

private:
    struct Piece
    {
        Clock::time_point due;
        std::string bytes;
        int repliesEnded = 0;
    };

    std::string garbage();
    std::vector<std::string> chunks(const std::string &bytes);
    void queue(const std::string &bytes, Clock::time_point earliest);
    // Adds a byte that is in at `arrival` to the adapter's open packet, or opens one.
    void packet(char byte, Clock::time_point arrival);

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
