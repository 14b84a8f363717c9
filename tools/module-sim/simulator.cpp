#include "simulator.h"

#include "randomsource.h"
#include "wiretiming.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <random>
#include <system_error>
#include <time.h>
#include <unistd.h>

namespace kvtsim {

namespace {

constexpr std::uint64_t kWireStream = 1000;
constexpr std::size_t kReadChunk = 4096;
// With a paced wire, bytes are taken from the terminal only this far ahead of the model, so a
// client writing too much blocks as it would on a real line.
constexpr Clock::duration kReadAhead = std::chrono::milliseconds(20);
// Replies not yet written beyond this stop the reading of commands.
constexpr std::size_t kMostPendingOutput = std::size_t{64} * 1024;
// Some systems report a hang-up while no client has the terminal open; look again this late
// instead of spinning.
constexpr Clock::duration kHangupBackoff = std::chrono::milliseconds(50);
// Before hanging up, the client gets this long to take the last reply: at least the shorter,
// so the terminal has passed the bytes on, and at most the longer.
constexpr Clock::duration kHangupSettle = std::chrono::milliseconds(50);
constexpr Clock::duration kHangupGrace = std::chrono::seconds(1);
constexpr Clock::duration kHangupRecheck = std::chrono::milliseconds(5);

// Waits for terminal events or the timeout. Linux waits to the microsecond, so that paced
// replies leave on time; elsewhere poll's whole milliseconds, rounded up, have to do.
int waitForEvents(pollfd *fds, nfds_t count, std::optional<std::chrono::nanoseconds> timeout)
{
#ifdef __linux__
    if (!timeout) {
        return ::ppoll(fds, count, nullptr, nullptr);
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(*timeout);
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(seconds.count());
    wait.tv_nsec = static_cast<long>((*timeout - seconds).count());
    return ::ppoll(fds, count, &wait, nullptr);
#else
    if (!timeout) {
        return ::poll(fds, count, -1);
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*timeout);
    return ::poll(
        fds, count,
        static_cast<int>(std::min<std::chrono::milliseconds::rep>(wait.count(), INT32_MAX)));
#endif
}

std::uint64_t resolveSeed(const SimOptions &options)
{
    if (options.seed) {
        return *options.seed;
    }
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32U) | device();
}

WireFaults wireFaults(const SimOptions &options)
{
    WireFaults faults;
    faults.split = options.split;
    faults.delay = options.delay;
    faults.baud = options.baud;
    faults.garbageBytes = options.garbageBytes;
    faults.delivery = options.delivery;
    faults.latency = options.latency;
    return faults;
}

} // namespace

Simulator::Simulator(const SimOptions &options)
    : m_seed(resolveSeed(options))
    , m_baud(options.baud)
    , m_stallAfter(options.stallAfter)
    , m_hangupAfter(options.hangupAfter)
    , m_log(options.logPath.empty() ? TrafficLog() : TrafficLog(options.logPath))
    , m_scene(options.noiseFloorDbm, options.jitterDb, options.carriers, m_seed)
    , m_interpreter(options, m_scene)
    , m_wire(wireFaults(options), RandomSource::derive(m_seed, kWireStream))
{
    if (!options.linkPath.empty()) {
        m_link.emplace(options.linkPath, m_terminal.slavePath());
    }
}

int Simulator::run(int stopFd)
{
    for (;;) {
        answerArrived(Clock::now());
        writeDueReplies(Clock::now());
        const Clock::time_point now = Clock::now();
        if (readyToHangUp(now)) {
            m_terminal.hangUp();
            std::fprintf(stderr, "kvt318-sim: hung up after %lld measurements\n",
                         m_measurementsWritten);
            return 0;
        }
        const bool paused = masterPaused(now);
        std::array<pollfd, 2> fds = {
            {{stopFd, POLLIN, 0},
             {paused ? -1 : m_terminal.masterFd(), paused ? short{0} : masterEvents(now), 0}}};
        if (waitForEvents(fds.data(), fds.size(), pollTimeout(now)) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "poll failed");
        }
        if (fds[0].revents != 0) {
            return 0;
        }
        const short events = fds[1].revents;
        const Clock::time_point after = Clock::now();
        if ((events & POLLOUT) != 0) {
            m_writeBlocked = false;
        }
        if ((events & POLLIN) != 0) {
            readCommands(after);
        } else if ((events & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            pauseMaster(after);
        }
    }
}

void Simulator::readCommands(Clock::time_point now)
{
    std::array<char, kReadChunk> buffer{};
    std::size_t limit = buffer.size();
    if (m_baud > 0) {
        const auto perByte = byteDuration(m_baud);
        limit = std::clamp<std::size_t>(static_cast<std::size_t>(kReadAhead / perByte), 1,
                                        buffer.size());
    }
    const ssize_t count = ::read(m_terminal.masterFd(), buffer.data(), limit);
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (count <= 0) {
        // EOF or EIO: no client side is open at the moment.
        pauseMaster(now);
        return;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        Clock::time_point arrival = now;
        if (m_baud > 0) {
            m_inboundFree = std::max(now, m_inboundFree) + byteDuration(m_baud);
            arrival = m_inboundFree;
        }
        if (std::optional<ReceivedLine> line = m_assembler.push(buffer[i], arrival)) {
            m_arriving.push_back(std::move(*line));
        }
    }
    // A read cut short by the pacing may have split CR from LF; only a lull ends a line at CR.
    if (m_assembler.awaitsLf() && m_terminal.pendingFromClient() == 0) {
        if (std::optional<ReceivedLine> line = m_assembler.endOfInput()) {
            m_arriving.push_back(std::move(*line));
        }
    }
}

void Simulator::answerArrived(Clock::time_point now)
{
    while (!m_arriving.empty() && m_arriving.front().at <= now) {
        const ReceivedLine line = std::move(m_arriving.front());
        m_arriving.pop_front();
        m_log.record("rx", line.command + line.terminator, line.at);
        answer(line);
    }
}

void Simulator::answer(const ReceivedLine &line)
{
    if (silenced()) {
        return;
    }
    std::optional<Reply> reply = m_interpreter.handle(line.command, line.at - m_start);
    if (!reply) {
        return;
    }
    if (reply->measurement) {
        ++m_measurementsQueued;
    }
    m_wire.send(std::move(*reply), line.at);
}

void Simulator::writeDueReplies(Clock::time_point now)
{
    while (!m_writeBlocked && !masterPaused(now)) {
        const std::optional<Clock::time_point> due = m_wire.nextDue();
        if (!due || *due > now) {
            return;
        }
        const std::string_view bytes = m_wire.dueBytes();
        // Stamped before the write, so no client can hold a reply older than its log line.
        const Clock::time_point writing = Clock::now();
        const ssize_t count = ::write(m_terminal.masterFd(), bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                m_writeBlocked = true;
            } else {
                pauseMaster(now);
            }
            return;
        }
        for (const Reply &reply : m_wire.consume(static_cast<std::size_t>(count))) {
            replyWritten(reply, writing);
        }
    }
}

void Simulator::replyWritten(const Reply &reply, Clock::time_point at)
{
    m_log.record("tx", reply.bytes, at);
    if (!reply.measurement) {
        return;
    }
    ++m_measurementsWritten;
    if (m_hangupAfter && m_measurementsWritten == *m_hangupAfter) {
        m_hangupArmedAt = at;
    }
}

bool Simulator::silenced() const
{
    const auto reached = [this](const std::optional<long long> &limit) {
        return limit && m_measurementsQueued >= *limit;
    };
    return reached(m_stallAfter) || reached(m_hangupAfter);
}

bool Simulator::readyToHangUp(Clock::time_point now) const
{
    if (!m_hangupArmedAt) {
        return false;
    }
    const Clock::duration waited = now - *m_hangupArmedAt;
    return waited >= kHangupGrace ||
           (waited >= kHangupSettle && m_terminal.pendingForClient() == 0);
}

void Simulator::pauseMaster(Clock::time_point now)
{
    m_masterPausedUntil = now + kHangupBackoff;
}

bool Simulator::acceptsInput(Clock::time_point now) const
{
    if (m_wire.pendingBytes() >= kMostPendingOutput) {
        return false;
    }
    return m_baud <= 0 || m_inboundFree <= now + kReadAhead;
}

short Simulator::masterEvents(Clock::time_point now) const
{
    short events = 0;
    if (acceptsInput(now)) {
        events |= POLLIN;
    }
    if (m_writeBlocked) {
        events |= POLLOUT;
    }
    return events;
}

std::optional<std::chrono::nanoseconds> Simulator::pollTimeout(Clock::time_point now) const
{
    std::optional<Clock::time_point> wake;
    const auto consider = [&wake](Clock::time_point at) { wake = wake ? std::min(*wake, at) : at; };
    if (!m_arriving.empty()) {
        consider(m_arriving.front().at);
    }
    if (const std::optional<Clock::time_point> due = m_wire.nextDue(); due && !m_writeBlocked) {
        consider(*due);
    }
    if (m_hangupArmedAt) {
        consider(now + kHangupRecheck);
    }
    if (masterPaused(now)) {
        consider(m_masterPausedUntil);
    }
    if (m_baud > 0 && m_inboundFree > now + kReadAhead) {
        consider(m_inboundFree - kReadAhead);
    }
    if (!wake) {
        return std::nullopt;
    }
    if (*wake <= now) {
        return std::chrono::nanoseconds{0};
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(*wake - now);
}

} // namespace kvtsim
