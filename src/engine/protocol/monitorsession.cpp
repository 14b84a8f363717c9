#include "engine/protocol/monitorsession.h"

#include "engine/port/portname.h"
#include "engine/port/portopenfailure.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"
#include "engine/protocol/seriallink.h"
#include "engine/protocol/serialtrace.h"
#include "engine/protocol/texts.h"

#include <QDateTime>
#include <QMetaMethod>
#include <QTimer>

#include <array>
#include <optional>

MonitorSession::MonitorSession(MonitorState &state, MonitorView &view, SerialLink &link,
                               QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_view(view)
    , m_link(link)
    , m_startTimer(new QTimer(this))
    , m_commands(state, view, link, [this] { StopMonitor(); })
    , m_sweep(
          state, view, m_commands,
          [this](int index, qint16 value, SweepMode mode) { reportReading(index, value, mode); })
    , m_connect(state, view, m_commands, *m_startTimer, [this] { StopMonitor(); })
    , m_reception(state, view, link, m_commands, m_sweep)
{
    m_startTimer->setObjectName(QStringLiteral("StartTimer"));
    m_startTimer->setInterval(kConnectStepInterval);
    m_startTimer->setTimerType(Qt::PreciseTimer);

    connect(m_startTimer, &QTimer::timeout, this, &MonitorSession::StartTimer_Timer);
    connect(&m_link, &SerialLink::received, this, &MonitorSession::MSComm1_OnComm);
    connect(&m_link, &SerialLink::failed, this, &MonitorSession::handlePortFault);
}

MonitorSession::~MonitorSession() = default;

void MonitorSession::Command1_Click()
{
    m_view.hidePortList();
    // Clear boxes mean no further measuring reply is parsed, also on a stop.
    constexpr std::array kModes = {RadioMode::Fsk, RadioMode::LoRa, RadioMode::AirMonitor};
    for (const RadioMode mode : kModes) {
        m_view.setModeChecked(mode, false);
    }
    if (m_link.isOpen()) {
        // The next Timer1 tick closes the port; until then no new channel is asked for.
        m_state.stopReq = 1;
        return;
    }
    startRun();
}

void MonitorSession::startRun()
{
    const std::optional<QString> device = portname::resolve(m_view.portText());
    if (!device) {
        failStart(QStringLiteral("'%1' names no serial port; type a name such as COM1 or "
                                 "/dev/ttyUSB0")
                      .arg(m_view.portText().trimmed()));
        return;
    }
    m_link.selectPort(*device);
    if (!m_link.open()) {
        failStart(
            classifyPortOpenFailure(*device, m_link.openError(), m_link.errorString()).reason);
        return;
    }
    m_runActive = true;
    m_view.setPortControlsEnabled(false);
    m_view.setSampleCountEnabled(false);
    m_view.setButtonCaption(texts::buttonPreparing());
    m_view.setMessage(QString());
    m_view.setMessageToolTip(QString());
    for (int i = 0; i <= m_state.chMax && i < MonitorState::kChannelCount; ++i) {
        m_state.rssi[i] = MonitorState::kNoReading;
        m_state.rssiMax[i] = MonitorState::kNoReading;
    }
    m_state.stopReq = 0;
    m_state.startStep = 0;
    m_startTimer->start();
    Q_EMIT runStarted();
}

void MonitorSession::failStart(const QString &reason)
{
    qCWarning(lcSerial).noquote() << reason;
    m_view.setMessage(texts::portFault());
    m_view.setMessageToolTip(reason);
    StopMonitor();
}

void MonitorSession::StopMonitor()
{
    if (m_link.isOpen()) {
        m_link.close();
    }
    m_runActive = false;
    m_view.setButtonCaption(texts::buttonStopped());
    m_view.setPortControlsEnabled(true);
    m_startTimer->stop();
    m_view.setSampleCountEnabled(true);
}

void MonitorSession::completeStopRequest()
{
    if (m_state.stopReq != 1) {
        return;
    }
    m_view.setMessage(QString());
    StopMonitor();
    // Done once: a later start that fails keeps its message instead of losing it to this tick.
    m_state.stopReq = 0;
}

void MonitorSession::StartTimer_Timer()
{
    m_connect.StartTimer_Timer();
}

void MonitorSession::MSComm1_OnComm()
{
    m_reception.MSComm1_OnComm();
}

void MonitorSession::handlePortFault()
{
    // A dead port reports again and again; one stop is enough, and none when no run is on.
    if (!m_runActive) {
        return;
    }
    qCDebug(lcSerial) << "port fault during a run:" << m_link.errorString();
    m_view.setMessage(texts::portFault());
    StopMonitor();
}

void MonitorSession::reportReading(int index, qint16 value, SweepMode mode)
{
    // Nobody recording: the sweep costs what it did before readings were reported.
    if (!isSignalConnected(QMetaMethod::fromSignal(&MonitorSession::readingStored))) {
        return;
    }
    RadioMode radio = RadioMode::AirMonitor;
    if (mode == SweepMode::FskLoRa) {
        radio = m_view.isModeChecked(RadioMode::LoRa) ? RadioMode::LoRa : RadioMode::Fsk;
    }
    Q_EMIT readingStored(Reading{index, value, QDateTime::currentMSecsSinceEpoch(), radio});
}
