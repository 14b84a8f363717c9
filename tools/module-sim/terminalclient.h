#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kvtsim {

// The simplest serial client: opens a terminal device in raw mode and exchanges bytes with
// deadlines. Used to test and measure the simulator without the monitor.
class TerminalClient
{
public:
    enum class ReadStatus { Data, TimedOut, Closed };

    // Check isOpen(); error() says why not.
    explicit TerminalClient(const std::string &path);
    ~TerminalClient();
    TerminalClient(const TerminalClient &) = delete;
    TerminalClient &operator=(const TerminalClient &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    const std::string &error() const { return m_error; }
    void close();

    // Writes all of `bytes`; false when the terminal refuses them.
    bool send(std::string_view bytes);
    // Appends what one read returns to `into`, waiting at most `timeout` for it. Closed means
    // the device ended the stream (EOF or an error such as EIO).
    ReadStatus readSome(std::string &into, std::chrono::milliseconds timeout);
    // The next line up to and including CR LF; none on a time-out or a closed device. Bytes
    // after the line are kept for the next call.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
    std::string m_error;
    std::string m_pending;
};

} // namespace kvtsim
