#include "programs/scan/stopsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#endif

namespace {
#ifdef Q_OS_UNIX
std::array<int, 2> g_pipe = {-1, -1};

void onSignal(int number)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void handle(int number, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
}
#endif
} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::pipe(g_pipe.data()) != 0) {
        return;
    }
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    handle(SIGINT, onSignal);
    handle(SIGTERM, onSignal);
#endif
}

StopSignals::~StopSignals()
{
#ifdef Q_OS_UNIX
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    for (int &fd : g_pipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
#endif
}

void StopSignals::readPipe()
{
#ifdef Q_OS_UNIX
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        handle(SIGINT, SIG_DFL);
        handle(SIGTERM, SIG_DFL);
        Q_EMIT stopRequested(byte);
    }
#endif
}
