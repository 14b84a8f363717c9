#pragma once

#include "ui/mainwindow.h"

#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>

class QLineEdit;

// The real monitor window on the real serial port, as a user drives it: a port name typed
// into Com_Port, clicks on the start/stop button, and what the window then shows. Its
// settings file lives in a directory of its own.
class WindowDriver
{
public:
    WindowDriver();
    WindowDriver(const WindowDriver &) = delete;
    WindowDriver &operator=(const WindowDriver &) = delete;
    ~WindowDriver();

    [[nodiscard]] MainWindow &window() const { return *m_window; }
    [[nodiscard]] QLineEdit &sendBox() const;
    [[nodiscard]] QLineEdit &receivedBox() const;

    void setPort(const QString &device) const;
    void clickStartStop() const;

    [[nodiscard]] QString caption() const;
    [[nodiscard]] QString message() const;
    // No run: port closed, "モニタ停止", the port and sample-count controls usable again and
    // no connect step pending.
    [[nodiscard]] bool isIdle() const;

    // Runs the event loop without pause until done() holds (looked at every few
    // milliseconds) or the time is up; QTRY's waits sleep between looks, which would pace a
    // fast stream of bytes. True when done() held.
    static bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout);

    // Processor time over wall time while the event loop runs for the given span: near 1 for
    // a loop that spins, near 0 for one that waits.
    [[nodiscard]] static double cpuShareOver(std::chrono::milliseconds span);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
};
