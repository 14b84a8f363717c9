#pragma once

namespace kvtsim {

// Turns SIGINT, SIGTERM and SIGHUP into a readable descriptor, so that the event loop ends
// cleanly and destructors run. Ignores SIGPIPE. One instance per process.
class SignalPipe
{
public:
    // Throws std::system_error.
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe &) = delete;
    SignalPipe &operator=(const SignalPipe &) = delete;

    int readFd() const { return m_readFd; }

private:
    int m_readFd = -1;
    int m_writeFd = -1;
};

} // namespace kvtsim
