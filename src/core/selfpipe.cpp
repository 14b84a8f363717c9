#include "core/selfpipe.h"

#if defined(__unix__) || defined(__APPLE__)

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void forwardSignal(int number)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a wake-up: losing this byte changes nothing.
    [[maybe_unused]] const ssize_t ignored = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

std::system_error failure(const char *what)
{
    return std::system_error(errno, std::generic_category(), what);
}

void prepare(int fd)
{
    const int fdFlags = ::fcntl(fd, F_GETFD);
    const int statusFlags = ::fcntl(fd, F_GETFL);
    if (fdFlags < 0 || statusFlags < 0 || ::fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC) != 0 ||
        ::fcntl(fd, F_SETFL, statusFlags | O_NONBLOCK) != 0) {
        throw failure("cannot set up the signal pipe (fcntl)");
    }
}

bool setAction(int number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(number, &action, nullptr) == 0;
}

} // namespace

SelfPipe::SelfPipe(std::initializer_list<int> signalNumbers)
    : m_signals(signalNumbers)
{
    if (g_writeFd >= 0) {
        throw std::system_error(EBUSY, std::generic_category(), "signals are already caught");
    }
    int fds[2] = {-1, -1};
    if (::pipe(fds) != 0) {
        throw failure("cannot create the signal pipe");
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
    try {
        prepare(m_readFd);
        prepare(m_writeFd);
        g_writeFd = m_writeFd;
        for (const int number : m_signals) {
            if (!setAction(number, forwardSignal)) {
                throw failure("cannot catch a signal (sigaction)");
            }
        }
    } catch (...) {
        restoreDefaults();
        g_writeFd = -1;
        ::close(m_readFd);
        ::close(m_writeFd);
        throw;
    }
}

SelfPipe::~SelfPipe()
{
    restoreDefaults();
    g_writeFd = -1;
    ::close(m_readFd);
    ::close(m_writeFd);
}

int SelfPipe::takeSignal() const
{
    unsigned char byte = 0;
    return ::read(m_readFd, &byte, 1) == 1 ? byte : 0;
}

void SelfPipe::restoreDefaults() const
{
    for (const int number : m_signals) {
        setAction(number, SIG_DFL);
    }
}

void SelfPipe::restoreDefaults(std::initializer_list<int> signalNumbers) const
{
    for (const int number : signalNumbers) {
        if (std::find(m_signals.begin(), m_signals.end(), number) != m_signals.end()) {
            setAction(number, SIG_DFL);
        }
    }
}

#else

#include <cerrno>
#include <system_error>

SelfPipe::SelfPipe(std::initializer_list<int> signalNumbers)
    : m_signals(signalNumbers)
{
    throw std::system_error(ENOSYS, std::generic_category(), "cannot create the signal pipe");
}

SelfPipe::~SelfPipe() = default;

int SelfPipe::takeSignal() const
{
    return 0;
}

void SelfPipe::restoreDefaults() const {}

void SelfPipe::restoreDefaults(std::initializer_list<int> signalNumbers) const
{
    static_cast<void>(signalNumbers);
}

#endif
