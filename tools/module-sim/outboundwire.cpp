#include "outboundwire.h"

#include "wiretiming.h"

#include <algorithm>
#include <utility>

namespace kvtsim {

namespace {
constexpr int kSmallestChunk = 1;
constexpr int kLargestChunk = 4;
constexpr int kShortestGapUs = 2000;
constexpr int kLongestGapUs = 6000;
constexpr int kLargestByte = 255;
// Garbage never holds a reply tag's first character, so it cannot fake a reply.
constexpr int kTagStart = '*';
// A full-speed USB packet less the adapter's two status bytes: a full buffer goes at once.
constexpr std::size_t kPacketPayload = 62;
} // namespace

OutboundWire::OutboundWire(WireFaults faults, std::uint64_t seed)
    : m_faults(faults)
    , m_random(seed)
{}

void OutboundWire::send(Reply reply, Clock::time_point readyAt)
{
    reply.bytes.insert(0, garbage());
    if (reply.bytes.empty()) {
        return;
    }
    Clock::time_point earliest = readyAt + m_faults.delay;
    if (m_faults.split) {
        bool first = true;
        for (const std::string &chunk : chunks(reply.bytes)) {
            if (!first) {
                earliest =
                    std::max(earliest, m_lineFree) +
                    std::chrono::microseconds(m_random.between(kShortestGapUs, kLongestGapUs));
            }
            first = false;
            queue(chunk, earliest);
        }
    } else {
        queue(reply.bytes, earliest);
    }
    ++m_pieces.back().repliesEnded;
    m_inFlight.push_back(std::move(reply));
}

void OutboundWire::queue(const std::string &bytes, Clock::time_point earliest)
{
    m_pendingBytes += bytes.size();
    // A byte is there when its stop bit has gone out.
    const Clock::duration perByte =
        m_faults.baud > 0 ? byteDuration(m_faults.baud) : Clock::duration{};
    if (m_faults.delivery == Delivery::LatencyTimer) {
        for (const char byte : bytes) {
            m_lineFree = std::max(earliest, m_lineFree) + perByte;
            packet(byte, m_lineFree);
        }
        return;
    }
    if (m_faults.baud <= 0 || m_faults.delivery == Delivery::Reply) {
        m_lineFree =
            std::max(earliest, m_lineFree) + perByte * static_cast<Clock::rep>(bytes.size());
        m_pieces.push_back({m_lineFree, bytes, 0});
        return;
    }
    for (const char byte : bytes) {
        m_lineFree = std::max(earliest, m_lineFree) + perByte;
        m_pieces.push_back({m_lineFree, std::string(1, byte), 0});
    }
}

void OutboundWire::packet(char byte, Clock::time_point arrival)
{
    // The timer runs from a packet's first byte; until it expires, or the packet is full, the
    // packet takes what comes in.
    if (m_pieces.empty() || arrival > m_pieces.back().due ||
        m_pieces.back().bytes.size() >= kPacketPayload) {
        m_pieces.push_back({arrival + m_faults.latency, {}, 0});
    }
    Piece &open = m_pieces.back();
    open.bytes.push_back(byte);
    if (open.bytes.size() >= kPacketPayload) {
        open.due = arrival;
    }
}

std::optional<Clock::time_point> OutboundWire::nextDue() const
{
    if (m_pieces.empty()) {
        return std::nullopt;
    }
    return m_pieces.front().due;
}

std::string_view OutboundWire::dueBytes() const
{
    if (m_pieces.empty()) {
        return {};
    }
    return std::string_view(m_pieces.front().bytes).substr(m_frontWritten);
}

std::vector<Reply> OutboundWire::consume(std::size_t count)
{
    if (m_pieces.empty()) {
        return {};
    }
    Piece &front = m_pieces.front();
    const std::size_t taken = std::min(count, front.bytes.size() - m_frontWritten);
    m_frontWritten += taken;
    m_pendingBytes -= taken;
    if (m_frontWritten < front.bytes.size()) {
        return {};
    }
    const int ended = front.repliesEnded;
    m_pieces.pop_front();
    m_frontWritten = 0;
    std::vector<Reply> done;
    for (int i = 0; i < ended; ++i) {
        done.push_back(std::move(m_inFlight.front()));
        m_inFlight.pop_front();
    }
    return done;
}

std::string OutboundWire::garbage()
{
    std::string bytes;
    for (int i = 0; i < m_faults.garbageBytes; ++i) {
        int value = m_random.between(0, kLargestByte - 1);
        if (value >= kTagStart) {
            ++value;
        }
        bytes.push_back(static_cast<char>(static_cast<unsigned char>(value)));
    }
    return bytes;
}

std::vector<std::string> OutboundWire::chunks(const std::string &bytes)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto size = static_cast<std::size_t>(m_random.between(kSmallestChunk, kLargestChunk));
        parts.push_back(bytes.substr(start, size));
        start += size;
    }
    return parts;
}

} // namespace kvtsim
