#include "engine/protocol/sweepstep.h"

#include "engine/protocol/commandlink.h"
#include "engine/protocol/commandtext.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"

#include <utility>

SweepStep::SweepStep(MonitorState &state, MonitorView &view, CommandLink &commands,
                     ReadingStored readingStored)
    : m_state(state)
    , m_view(view)
    , m_commands(commands)
    , m_readingStored(std::move(readingStored))
{}

void SweepStep::run(qint16 value, SweepMode mode)
{
    const int measured = m_state.chIdx;
    Q_ASSERT(measured >= 0 && measured < MonitorState::kChannelCount);
    m_state.rssi[measured] = value;
    if (m_state.rssiMax[measured] < value) {
        m_state.rssiMax[measured] = value;
    }
    if (m_readingStored) {
        m_readingStored(measured, value, mode);
    }
    // The marker shows the channel just measured, not the one asked for next.
    m_view.moveSweepMarker(measured);

    m_state.chIdx = measured + 1;
    // The command in flight was chosen a step earlier, so a cursor change shows one reading late.
    if (m_view.isCursorOnlyChecked() && m_state.cursorCh) {
        m_state.chIdx = *m_state.cursorCh;
    }
    if (m_state.chIdx > m_state.chMax) {
        m_state.chIdx = 0;
    }
    m_state.chHex = command::channelField(m_state.chStart + m_state.chIdx);

    if (m_state.stopReq != 0) {
        return;
    }
    if (mode == SweepMode::AirMonitor) {
        m_commands.send(command::airMonitor(m_state.chHex, m_view.sampleCountText()));
    } else {
        m_commands.send(command::selectChannel(m_state.chHex));
    }
}
