#pragma once

#include "sweeplog.h"

#include <QString>
#include <QStringList>

#include <chrono>

class MainWindow;

// Drives the real monitor window as a user would: names a fresh simulator's terminal in
// Com_Port, clicks start, lets the sweep run, clicks stop. Gives back the simulator's log and
// the stretch that was measured, on the log's clock, with this process's CPU time and wake-ups
// over it.
class WindowSweep
{
public:
    struct Result
    {
        bool ok = false;
        QString error;
        SweepLog log{{}};
        qint64 fromMicros = 0;
        qint64 toMicros = 0;
        double cpuSeconds = 0.0;
        // This process's voluntary context switches over the stretch.
        long long wakeUps = 0;

        [[nodiscard]] double seconds() const;
        // The measurements whose replies left the simulator inside the stretch.
        [[nodiscard]] QList<SweepLog::Measurement> measured() const;
    };

    explicit WindowSweep(MainWindow &window);

    // The sweep settles for a moment after the start before the stretch begins.
    [[nodiscard]] Result run(const QStringList &simulatorOptions,
                             std::chrono::milliseconds stretch);
    // This process's CPU seconds while the window stays open with no run.
    [[nodiscard]] double idleCpuSeconds(std::chrono::milliseconds stretch);

    // Lets the window's event loop run; the benchmark's only way to wait.
    static void spin(std::chrono::milliseconds duration);

private:
    [[nodiscard]] bool spinUntil(bool (WindowSweep::*done)() const,
                                 std::chrono::milliseconds limit);
    [[nodiscard]] bool sweeping() const;
    [[nodiscard]] bool stopped() const;

    MainWindow &m_window;
};
