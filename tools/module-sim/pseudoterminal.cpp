#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace kvtsim {

namespace {

[[noreturn]] void fail(const char *what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void closeQuietly(int &fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

void addFlags(int fd, int command, int getCommand, int flags)
{
    const int current = ::fcntl(fd, getCommand);
    if (current < 0 || ::fcntl(fd, command, current | flags) < 0) {
        fail("cannot set descriptor flags");
    }
}

// Unread bytes on `fd`; 0 when that cannot be told.
std::size_t bytesWaiting(int fd)
{
    int count = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0 || count < 0) {
        return 0;
    }
    return static_cast<std::size_t>(count);
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        fail("cannot open a pseudo-terminal");
    }
    try {
        addFlags(m_master, F_SETFD, F_GETFD, FD_CLOEXEC);
        addFlags(m_master, F_SETFL, F_GETFL, O_NONBLOCK);
        if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
            fail("cannot unlock the pseudo-terminal");
        }
        const char *name = ::ptsname(m_master);
        if (name == nullptr) {
            fail("cannot name the pseudo-terminal");
        }
        m_slavePath = name;
        m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0) {
            fail("cannot open the terminal side");
        }
        termios settings{};
        if (::tcgetattr(m_slave, &settings) != 0) {
            fail("cannot read the terminal settings");
        }
        ::cfmakeraw(&settings);
        if (::tcsetattr(m_slave, TCSANOW, &settings) != 0) {
            fail("cannot set raw mode");
        }
    } catch (...) {
        closeQuietly(m_slave);
        closeQuietly(m_master);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    hangUp();
}

std::size_t PseudoTerminal::pendingForClient() const
{
    return bytesWaiting(m_slave);
}

std::size_t PseudoTerminal::pendingFromClient() const
{
    return bytesWaiting(m_master);
}

void PseudoTerminal::hangUp()
{
    // The master first: its close is what hangs up every open slave descriptor.
    closeQuietly(m_master);
    closeQuietly(m_slave);
}

} // namespace kvtsim
