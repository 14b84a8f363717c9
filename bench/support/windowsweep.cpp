#include "windowsweep.h"

#include "engine/protocol/sweepengine.h"
#include "processusage.h"
#include "windows/main/mainwindow.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <ctime>

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kSettle{300};
constexpr milliseconds kStartLimit{5000};
constexpr milliseconds kStopLimit{2000};
constexpr milliseconds kPollStep{5};
constexpr double kMicrosPerSecond = 1e6;
constexpr qint64 kNanosPerMicro = 1000;

// The simulator stamps its log with CLOCK_MONOTONIC.
qint64 monotonicMicros()
{
    timespec now = {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * static_cast<qint64>(kMicrosPerSecond) +
           now.tv_nsec / kNanosPerMicro;
}

} // namespace

double WindowSweep::Result::seconds() const
{
    return static_cast<double>(toMicros - fromMicros) / kMicrosPerSecond;
}

QList<SweepLog::Measurement> WindowSweep::Result::measured() const
{
    QList<SweepLog::Measurement> inside;
    std::copy_if(log.measurements().begin(), log.measurements().end(), std::back_inserter(inside),
                 [this](const SweepLog::Measurement &m) {
                     return m.micros >= fromMicros && m.micros <= toMicros;
                 });
    return inside;
}

WindowSweep::WindowSweep(MainWindow &window)
    : m_window(window)
{}

void WindowSweep::spin(milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WindowSweep::spinUntil(bool (WindowSweep::*done)() const, milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!(this->*done)()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        spin(kPollStep);
    }
    return true;
}

bool WindowSweep::sweeping() const
{
    return m_window.engine().state() == SweepEngine::State::Sweeping;
}

bool WindowSweep::stopped() const
{
    return m_window.engine().state() == SweepEngine::State::Idle;
}

WindowSweep::Result WindowSweep::run(const QStringList &simulatorOptions, milliseconds stretch)
{
    Result result;
    SimProcess simulator;
    if (!simulator.start(simulatorOptions)) {
        result.error = QStringLiteral("the simulator did not start");
        return result;
    }
    m_window.controls().comPort->setText(simulator.devicePath());
    m_window.controls().command1->click();
    if (!spinUntil(&WindowSweep::sweeping, kStartLimit)) {
        result.error = QStringLiteral("the sweep did not start");
        return result;
    }
    spin(kSettle);

    result.fromMicros = monotonicMicros();
    const double cpuBefore = processusage::cpuSeconds();
    const long long wakeUpsBefore = processusage::wakeUps();
    spin(stretch);
    result.cpuSeconds = processusage::cpuSeconds() - cpuBefore;
    result.wakeUps = processusage::wakeUps() - wakeUpsBefore;
    result.toMicros = monotonicMicros();

    m_window.controls().command1->click();
    if (!spinUntil(&WindowSweep::stopped, kStopLimit)) {
        result.error = QStringLiteral("the run did not stop");
        return result;
    }
    result.log = SweepLog(simulator.log());
    result.ok = true;
    return result;
}

double WindowSweep::idleCpuSeconds(milliseconds stretch)
{
    const double cpuBefore = processusage::cpuSeconds();
    spin(stretch);
    return processusage::cpuSeconds() - cpuBefore;
}
