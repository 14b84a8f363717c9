#pragma once

#include <initializer_list>
#include <vector>

// Turns signals into bytes on a pipe, so that an event loop wakes and ends cleanly with its
// destructors run: the handler does nothing but write the signal's number (async-signal-safe),
// and reads the write end from a sig_atomic_t. Plain POSIX, for the programs and the simulator
// alike. One instance per process at a time; elsewhere than POSIX the constructor throws.
class SelfPipe
{
public:
    // Throws std::system_error naming the call that failed (pipe, fcntl or sigaction); the
    // signals keep their previous action then.
    explicit SelfPipe(std::initializer_list<int> signalNumbers);
    // The signals take their default action again.
    ~SelfPipe();
    SelfPipe(const SelfPipe &) = delete;
    SelfPipe &operator=(const SelfPipe &) = delete;

    // Readable when a signal has arrived; non-blocking.
    [[nodiscard]] int readFd() const { return m_readFd; }
    // The number of a signal that arrived, or 0 when none waits.
    [[nodiscard]] int takeSignal() const;
    // The default action again for every signal caught, so that a second one ends a program
    // that fails to finish.
    void restoreDefaults() const;
    // The default action again for these of the signals caught.
    void restoreDefaults(std::initializer_list<int> signalNumbers) const;

private:
    int m_readFd = -1;
    int m_writeFd = -1;
    std::vector<int> m_signals;
};
