#pragma once

#include "engine/protocol/monitorstate.h"
#include "programs/scan/headlessview.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class MonitorSession;
class QTimer;
class SerialLink;
struct ScanOptions;

// One recording's hold on the module: drives the window's own session classes through a
// headless view, tells when the sweep runs, and turns every way a run can end into an exit
// code and a line for the user. With reconnecting on, a port that fails after the sweep ran
// is reopened once a second until it sweeps again.
class ScanRun : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kReconnectInterval{1};

    enum ExitCode { Finished = 0, OpenFailed = 3, NoModule = 4, PortFailed = 5 };

    ScanRun(const ScanOptions &options, SerialLink &link, QObject *parent = nullptr);
    ~ScanRun() override;

    [[nodiscard]] MonitorSession &session() const { return *m_session; }
    [[nodiscard]] const MonitorState &state() const { return m_state; }
    [[nodiscard]] std::optional<RadioMode> mode() const { return m_view.checkedMode(); }

    void start();
    // Ends the run cleanly: no further command, the port closed.
    void stop();

Q_SIGNALS:
    // The sweep has begun, the first time or after a reconnect.
    void sweeping();
    // The port failed and is being reopened.
    void interrupted(const QString &reason);
    void ended(int exitCode, const QString &message);

private:
    enum class Phase { Idle, Connecting, Sweeping, Reconnecting, Ended };

    void onCaption(const QString &caption);
    void onReading();
    void onStall();
    void checkMode();
    void handleStopped();
    void reopen();
    void end(int exitCode, const QString &message);
    [[nodiscard]] QString device() const;
    [[nodiscard]] QString moduleSaid() const;

    MonitorState m_state;
    HeadlessView m_view;
    SerialLink &m_link;
    MonitorSession *m_session = nullptr;
    QTimer *m_reopenTimer = nullptr;
    // What the session did is looked at once its step has returned.
    QTimer *m_modeCheck = nullptr;
    QTimer *m_stopCheck = nullptr;
    // Restarted by every reading; firing means the module has stopped answering.
    QTimer *m_stallTimer = nullptr;
    bool m_stalled = false;
    bool m_reconnect = false;
    bool m_stopping = false;
    bool m_swept = false;
    Phase m_phase = Phase::Idle;
};
