#include "windows/main/startup.h"
#include "core/channelplan.h"

#include "engine/protocol/monitorstate.h"
#include "painters/palette.h"

#include <cstddef>

namespace startup {

namespace {
constexpr qint16 kChannelLabelStep = 4;
} // namespace

QString windowTitle()
{
    return QStringLiteral("KVT-318M RSSI Monitor   Ver.= %1.%2.%3")
        .arg(KVT_VERSION_MAJOR)
        .arg(KVT_VERSION_MINOR)
        .arg(KVT_VERSION_PATCH);
}

void initialiseMonitorState(MonitorState &state)
{
    for (std::size_t i = 0; i < palette::kColorTable.size(); ++i) {
        state.colorTable.at(i) = palette::kColorTable.at(i);
    }
    state.colorTableMax = static_cast<int>(palette::kColorTable.size()) - 1;
    for (std::size_t k = 0; k < palette::kInitialColorNo.size(); ++k) {
        state.colorNo.at(k + 1) = palette::kInitialColorNo.at(k);
    }
    state.chIdx = 0;
    state.chMax = channelplan::kLastIndex;
    state.chStart = channelplan::kFirstChannel;
    state.chLabelStep = kChannelLabelStep;
    state.rssi.fill(MonitorState::kNoReading);
    state.rssiMax.fill(MonitorState::kNoReading);
}

} // namespace startup
