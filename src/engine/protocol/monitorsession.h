#pragma once

#include "engine/protocol/commandlink.h"
#include "engine/protocol/connectsequence.h"
#include "engine/protocol/reading.h"
#include "engine/protocol/replyreception.h"
#include "engine/protocol/sweepstep.h"

#include <QObject>

#include <chrono>

class MonitorView;
class QTimer;
class SerialLink;
struct MonitorState;

// A monitor run from the start/stop button to the port closing: starts and stops runs, owns
// StartTimer for the connect sequence, and passes received data to the reply reception.
// The window keeps the state, the controls and the port, and calls completeStopRequest() at
// the end of every Timer1 tick.
class MonitorSession : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kConnectStepInterval{100};

    explicit MonitorSession(MonitorState &state, MonitorView &view, SerialLink &link,
                            QObject *parent = nullptr);
    ~MonitorSession() override;

    // StartTimer: off until a run starts, off again once the sweep runs or the run stops.
    [[nodiscard]] QTimer *startStepTimer() const { return m_startTimer; }

    // Starts a run when the port is closed; requests a stop when it is open.
    void Command1_Click();
    // Closes the port and puts the controls back to idle; harmless in any state.
    void StopMonitor();
    // Carries out a requested stop; the Timer1 tick calls it last.
    void completeStopRequest();
    void StartTimer_Timer();
    void MSComm1_OnComm();

Q_SIGNALS:
    // Every reading the sweep stores, as it is stored.
    void readingStored(const Reading &reading);
    // The port is open and a new run begins; its readings follow.
    void runStarted();

private:
    void reportReading(int index, qint16 value, SweepMode mode);
    void startRun();
    // Shows the port fault, with the reason in its tool tip and on standard error.
    void failStart(const QString &reason);
    void handlePortFault();

    MonitorState &m_state;
    MonitorView &m_view;
    SerialLink &m_link;
    QTimer *m_startTimer = nullptr;
    // A port fault is news only while a run holds the port.
    bool m_runActive = false;
    CommandLink m_commands;
    SweepStep m_sweep;
    ConnectSequence m_connect;
    ReplyReception m_reception;
};
