#pragma once

#include <string>

namespace kvtsim {

// A symbolic link to the terminal for the lifetime of the simulator.
class SymlinkGuard
{
public:
    // Replaces a stale symbolic link at `linkPath` but never another kind of file. Throws
    // std::system_error.
    SymlinkGuard(std::string linkPath, std::string target);
    // Removes the link, unless it has been pointed elsewhere meanwhile.
    ~SymlinkGuard();
    SymlinkGuard(const SymlinkGuard &) = delete;
    SymlinkGuard &operator=(const SymlinkGuard &) = delete;

private:
    std::string m_linkPath;
    std::string m_target;
};

} // namespace kvtsim
