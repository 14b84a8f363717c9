#include "engine/protocol/connectsequence.h"

#include "engine/protocol/commandlink.h"
#include "engine/protocol/commandtext.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"
#include "engine/protocol/replyparser.h"
#include "engine/protocol/serialtrace.h"
#include "engine/protocol/texts.h"

#include <QTimer>

#include <array>
#include <utility>

ConnectSequence::ConnectSequence(MonitorState &state, MonitorView &view, CommandLink &commands,
                                 QTimer &startTimer, std::function<void()> stopMonitor)
    : m_state(state)
    , m_view(view)
    , m_commands(commands)
    , m_startTimer(startTimer)
    , m_stopMonitor(std::move(stopMonitor))
{}

void ConnectSequence::StartTimer_Timer()
{
    ++m_state.startStep;
    switch (m_state.startStep) {
    case AskModel:
        m_commands.send(command::identify());
        break;
    case CheckModel:
        checkModel();
        break;
    case ReadMode:
        readMode();
        break;
    case BeginSweep:
        beginSweep();
        break;
    default:
        // No mode was found: the run stays open without measurements until the user stops it.
        break;
    }
}

void ConnectSequence::checkModel()
{
    switch (reply::checkModel(m_state.rxBuf)) {
    case reply::ModelCheck::Accepted:
        m_commands.send(command::queryMode());
        return;
    case reply::ModelCheck::Unsupported:
        qCDebug(lcSerial) << "unsupported device:" << m_state.rxBuf;
        m_view.setMessage(texts::unsupportedDevice());
        break;
    case reply::ModelCheck::NoResponse:
        qCDebug(lcSerial) << "no identification reply";
        m_view.setMessage(texts::noResponse());
        break;
    }
    m_stopMonitor();
}

void ConnectSequence::readMode()
{
    constexpr std::array kModes = {RadioMode::Fsk, RadioMode::LoRa, RadioMode::AirMonitor};
    for (const RadioMode mode : kModes) {
        if (reply::reportsMode(m_state.rxBuf, mode)) {
            m_view.setModeChecked(mode, true);
        }
    }
    m_state.rxBuf.clear();
}

void ConnectSequence::beginSweep()
{
    m_view.setMessage(QString());
    m_view.setButtonCaption(texts::buttonStarted());
    m_state.chIdx = 0;
    m_state.chHex = command::channelField(m_state.chStart + m_state.chIdx);
    m_state.rxBuf.clear();
    if (m_view.isModeChecked(RadioMode::LoRa) || m_view.isModeChecked(RadioMode::Fsk)) {
        m_commands.send(command::selectChannel(m_state.chHex));
        m_startTimer.stop();
    }
    // Both kinds can be checked at once; each then gets its first command.
    if (m_view.isModeChecked(RadioMode::AirMonitor)) {
        m_commands.send(command::airMonitor(m_state.chHex, m_view.sampleCountText()));
        m_startTimer.stop();
    }
}
