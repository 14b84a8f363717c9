#include "engine/protocol/replyreception.h"

#include "engine/protocol/commandlink.h"
#include "engine/protocol/commandtext.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"
#include "engine/protocol/replyparser.h"
#include "engine/protocol/seriallink.h"
#include "engine/protocol/sweepstep.h"

#include <optional>
#include <thread>

namespace {

// A sleeping thread wakes up to about 0.2 ms late on an idle Linux machine; the pause spins
// only its last stretch.
constexpr std::chrono::microseconds kWakeUpMargin{400};

// Holds the window thread on purpose: nothing else may run before "@RA" goes out, and a timer
// could not promise the pause to the millisecond. Sleeping most of it keeps the core free.
void busyPause(std::chrono::steady_clock::duration pause)
{
    const auto until = std::chrono::steady_clock::now() + pause;
    if (pause > kWakeUpMargin) {
        std::this_thread::sleep_until(until - kWakeUpMargin);
    }
    while (std::chrono::steady_clock::now() < until) {
    }
}

} // namespace

ReplyReception::ReplyReception(MonitorState &state, MonitorView &view, SerialLink &link,
                               CommandLink &commands, SweepStep &sweep)
    : m_state(state)
    , m_view(view)
    , m_link(link)
    , m_commands(commands)
    , m_sweep(sweep)
{}

void ReplyReception::MSComm1_OnComm()
{
    const QByteArray bytes = m_link.readAll();
    if (bytes.isEmpty()) {
        return;
    }
    // One character per byte, so that positions are byte positions and nothing is replaced.
    m_state.rxBuf += QString::fromLatin1(bytes);
    if (m_state.rxBuf.size() > kRxBufLimit) {
        m_state.rxBuf.remove(0, m_state.rxBuf.size() - kRxBufLimit);
    }
    m_view.showReceived(m_state.rxBuf);

    if (m_view.isModeChecked(RadioMode::Fsk) || m_view.isModeChecked(RadioMode::LoRa)) {
        handleFskLoRa();
    }
    if (m_view.isModeChecked(RadioMode::AirMonitor)) {
        handleAirMonitor();
    }
}

void ReplyReception::handleFskLoRa()
{
    if (reply::hasChannelSet(m_state.rxBuf)) {
        busyPause(kRssiReadPause);
        m_commands.send(command::readRssi());
    }
    if (const std::optional<qint16> value = reply::rssiReading(m_state.rxBuf)) {
        m_sweep.run(*value, SweepMode::FskLoRa);
    }
}

void ReplyReception::handleAirMonitor()
{
    if (const std::optional<qint16> value = reply::airMonitorReading(m_state.rxBuf)) {
        m_sweep.run(*value, SweepMode::AirMonitor);
    }
}
