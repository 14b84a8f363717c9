#include "terminalclient.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kvtsim {

namespace {

using Deadline = std::chrono::steady_clock::time_point;

constexpr std::size_t kReadChunk = 512;
constexpr std::chrono::seconds kWriteTimeout{1};
constexpr std::string_view kLineEnd = "\r\n";

int millisecondsLeft(Deadline deadline)
{
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events`; false when the deadline passed first.
bool waitFor(int fd, short events, Deadline deadline)
{
    for (;;) {
        pollfd entry = {fd, events, 0};
        const int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace

TerminalClient::TerminalClient(const std::string &path)
    : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
{
    if (m_fd < 0) {
        m_error = "cannot open " + path + ": " + std::strerror(errno);
        return;
    }
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0) {
        m_error = std::string("cannot read terminal settings: ") + std::strerror(errno);
        close();
        return;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_fd, TCSANOW, &settings) != 0) {
        m_error = std::string("cannot set raw mode: ") + std::strerror(errno);
        close();
    }
}

TerminalClient::~TerminalClient()
{
    close();
}

void TerminalClient::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_pending.clear();
}

bool TerminalClient::send(std::string_view bytes)
{
    const Deadline deadline = std::chrono::steady_clock::now() + kWriteTimeout;
    while (!bytes.empty() && m_fd >= 0) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitFor(m_fd, POLLOUT, deadline)) {
            continue;
        }
        m_error = std::string("write failed: ") + std::strerror(errno);
        return false;
    }
    return bytes.empty();
}

TerminalClient::ReadStatus TerminalClient::readSome(std::string &into,
                                                    std::chrono::milliseconds timeout)
{
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[kReadChunk];
    while (m_fd >= 0) {
        // Waiting first saves a read that would fail: replies are rarely there yet.
        if (!waitFor(m_fd, POLLIN, deadline)) {
            return ReadStatus::TimedOut;
        }
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count > 0) {
            into.append(buffer, static_cast<std::size_t>(count));
            return ReadStatus::Data;
        }
        if (count < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        m_error = count == 0 ? std::string("end of file") : std::strerror(errno);
        return ReadStatus::Closed;
    }
    return ReadStatus::Closed;
}

std::optional<std::string> TerminalClient::readLine(std::chrono::milliseconds timeout)
{
    const Deadline deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t end = m_pending.find(kLineEnd);
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end + kLineEnd.size());
            m_pending.erase(0, end + kLineEnd.size());
            return line;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (readSome(m_pending, std::max(left, std::chrono::milliseconds(0))) != ReadStatus::Data) {
            return std::nullopt;
        }
    }
}

} // namespace kvtsim
