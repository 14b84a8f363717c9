#pragma once

#include "core/radiomode.h"
#include "engine/protocol/sweepengine.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class PortFollower;
class QTimer;
class SerialLink;
struct ScanOptions;
struct StopReason;

// One recording's hold on the module: runs the sweep engine, tells when the sweep runs, and
// turns every way a run can end into an exit code and a line for the user. With reconnecting
// on, a port that fails after the sweep ran is reopened once a second until it sweeps again,
// at the device its name leads to then.
class ScanRun : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kReconnectInterval{1};

    enum ExitCode { Finished = 0, OpenFailed = 3, NoModule = 4, PortFailed = 5 };

    ScanRun(const ScanOptions &options, std::unique_ptr<SerialLink> link,
            QObject *parent = nullptr);
    ~ScanRun() override;

    [[nodiscard]] SweepEngine &engine() const { return *m_engine; }
    // The mode of the run, when the module reported one the sweep knows.
    [[nodiscard]] std::optional<RadioMode> mode() const;

    void start();
    // Ends the run cleanly: no further command, the port closed.
    void stop();

Q_SIGNALS:
    // The sweep has begun, the first time or after a reconnect.
    void sweeping();
    // The port failed and is being reopened.
    void interrupted(const QString &reason);
    // The port leads to another device than before: a line for the user.
    void portMoved(const QString &note);
    void ended(int exitCode, const QString &message);

private:
    enum class Phase { Idle, Connecting, Sweeping, Reconnecting, Ended };

    void onStarted();
    void onStopped(const StopReason &reason);
    void reopen();
    void open();
    void end(int exitCode, const QString &message);
    [[nodiscard]] QString device() const;

    QString m_port;
    std::unique_ptr<PortFollower> m_follower;
    // What the port led to at the last open.
    QString m_device;
    SweepOptions m_sweepOptions;
    std::unique_ptr<SweepEngine> m_engine;
    QTimer *m_reopenTimer = nullptr;
    bool m_reconnect = false;
    bool m_swept = false;
    Phase m_phase = Phase::Idle;
};
