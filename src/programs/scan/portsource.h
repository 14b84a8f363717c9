#pragma once

#include "engine/protocol/sweepengine.h"
#include "engine/survey/sweepsource.h"

#include <chrono>
#include <memory>

class PortFollower;
class QTimer;
class SerialLink;
struct ScanOptions;
struct StopReason;

// The module on a port as a source: runs the sweep engine, tells when the sweep runs, and turns
// every way it can end into an end with a line for the user. With reconnecting on, a port that
// fails after the sweep ran is reopened once a second until it sweeps again, at the device its
// name leads to then; the run breaks meanwhile.
class PortSource : public SweepSource
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kReconnectInterval{1};

    PortSource(const ScanOptions &options, std::unique_ptr<SerialLink> link,
               QObject *parent = nullptr);
    ~PortSource() override;

    void start() override;
    // No further command, the port closed.
    void stop() override;
    [[nodiscard]] std::optional<RadioMode> mode() const override;
    [[nodiscard]] QString endReason() const override { return QStringLiteral("the run stopped"); }

Q_SIGNALS:
    // The module's answer to "@FV", at each start of the sweep.
    void identified(const QString &identification);

private:
    enum class Phase { Idle, Connecting, Sweeping, Reconnecting, Ended };

    void onStarted(RadioModes modes, const QString &identification);
    void onStopped(const StopReason &reason);
    void reopen();
    void open();
    void end(SourceEnd::Kind kind, const QString &message);
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
