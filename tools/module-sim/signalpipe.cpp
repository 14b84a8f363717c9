#include "signalpipe.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace kvtsim {

namespace {

constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void forwardSignal(int signal)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a wake-up; losing this byte changes nothing.
    [[maybe_unused]] const ssize_t ignored = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

void prepare(int fd)
{
    const int fdFlags = ::fcntl(fd, F_GETFD);
    const int statusFlags = ::fcntl(fd, F_GETFL);
    if (fdFlags < 0 || statusFlags < 0 || ::fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC) != 0 ||
        ::fcntl(fd, F_SETFL, statusFlags | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot set up the signal pipe");
    }
}

void setHandler(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    if (::sigaction(signal, &action, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot install a signal handler");
    }
}

} // namespace

SignalPipe::SignalPipe()
{
    int fds[2] = {-1, -1};
    if (::pipe(fds) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create the signal pipe");
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
    try {
        prepare(m_readFd);
        prepare(m_writeFd);
        g_writeFd = m_writeFd;
        setHandler(SIGPIPE, SIG_IGN);
        for (const int signal : kStopSignals) {
            setHandler(signal, forwardSignal);
        }
    } catch (...) {
        ::close(m_readFd);
        ::close(m_writeFd);
        throw;
    }
}

SignalPipe::~SignalPipe()
{
    for (const int signal : kStopSignals) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
    g_writeFd = -1;
    ::close(m_readFd);
    ::close(m_writeFd);
}

} // namespace kvtsim
