#pragma once

#include "bandscene.h"
#include "commandinterpreter.h"
#include "lineassembler.h"
#include "outboundwire.h"
#include "pseudoterminal.h"
#include "simclock.h"
#include "simoptions.h"
#include "symlinkguard.h"
#include "trafficlog.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace kvtsim {

// The module on its terminal: reads commands, answers them through the wire model and applies
// the stall and hang-up faults, all from one poll loop.
class Simulator
{
public:
    // Opens the terminal, the link and the log. Throws std::system_error.
    explicit Simulator(const SimOptions &options);

    const std::string &terminalPath() const { return m_terminal.slavePath(); }
    std::uint64_t seed() const { return m_seed; }

    // Serves until `stopFd` becomes readable or the terminal has been hung up; returns the exit
    // status. Throws std::system_error when polling itself fails.
    int run(int stopFd);

private:
    void readCommands(Clock::time_point now);
    void answerArrived(Clock::time_point now);
    void answer(const ReceivedLine &line);
    void writeDueReplies(Clock::time_point now);
    void replyWritten(const Reply &reply, Clock::time_point at);
    bool silenced() const;
    bool readyToHangUp(Clock::time_point now) const;
    bool masterPaused(Clock::time_point now) const { return now < m_masterPausedUntil; }
    void pauseMaster(Clock::time_point now);
    bool acceptsInput(Clock::time_point now) const;
    short masterEvents(Clock::time_point now) const;
    // How long to wait for the terminal; none: until something arrives.
    std::optional<std::chrono::nanoseconds> pollTimeout(Clock::time_point now) const;

    std::uint64_t m_seed = 0;
    int m_baud = 0;
    std::optional<long long> m_stallAfter;
    std::optional<long long> m_hangupAfter;
    PseudoTerminal m_terminal;
    std::optional<SymlinkGuard> m_link;
    TrafficLog m_log;
    BandScene m_scene;
    CommandInterpreter m_interpreter;
    OutboundWire m_wire;
    LineAssembler m_assembler;
    // Commands whose last byte is still on the modelled wire.
    std::deque<ReceivedLine> m_arriving;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_inboundFree{};
    Clock::time_point m_masterPausedUntil{};
    bool m_writeBlocked = false;
    long long m_measurementsQueued = 0;
    long long m_measurementsWritten = 0;
    std::optional<Clock::time_point> m_hangupArmedAt;
};

} // namespace kvtsim
