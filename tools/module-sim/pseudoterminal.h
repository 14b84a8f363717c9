#pragma once

#include <cstddef>
#include <string>

namespace kvtsim {

// A pseudo-terminal in raw mode. The simulator holds the master side; clients open the slave
// by its path. A descriptor of the slave side stays open here, so that a client closing the
// terminal does not hang up the master and a later client finds the same settings.
class PseudoTerminal
{
public:
    // Throws std::system_error.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    int masterFd() const { return m_master; }
    const std::string &slavePath() const { return m_slavePath; }
    // Bytes the simulator has sent that no client has read yet.
    std::size_t pendingForClient() const;
    // Bytes a client has sent that the simulator has not read yet.
    std::size_t pendingFromClient() const;
    // Closes both sides, as an unplugged device: clients' reads end and their writes fail.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

} // namespace kvtsim
