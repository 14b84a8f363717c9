#include "painters/cursorreadout.h"

#include "core/channelplan.h"
#include "engine/protocol/monitorstate.h"
#include "engine/record/recordtime.h"

namespace chart {

namespace {

constexpr int kChannelDigits = 2;

// "00": at least two digits, zero-padded.
QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, kChannelDigits, 10, QLatin1Char('0'));
}

} // namespace

QString cursorReadout(const MonitorState &state)
{
    if (!state.cursorIndex || *state.cursorIndex < 0 || *state.cursorIndex >= MonitorState::kChannelCount) {
        return {};
    }
    const int index = *state.cursorIndex;
    const auto at = static_cast<std::size_t>(index);
    // "###0" for the levels: a plain whole number with its sign.
    return QStringLiteral("CH=") + twoDigits(channelplan::channelNumber(index)) + QLatin1Char(':') +
           // " ###0.0000": a leading space, the whole part without padding, four decimals.
           QLatin1Char(' ') + record::channelMhz(index) + QStringLiteral("[MHz] / RSSI=") +
           QString::number(state.latest[at]) + QStringLiteral(", Max=") +
           QString::number(state.highest[at]) + QStringLiteral("[dBm]");
}

} // namespace chart
