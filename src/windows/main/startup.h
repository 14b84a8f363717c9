#pragma once

#include <QString>

struct MonitorState;

namespace startup {

// "KVT-318M RSSI Monitor   Ver.= 1.0.0", with the version of this build.
QString windowTitle();

// The values the monitor state takes when the window loads: the palette and swatch choices,
// the channel plan, and no readings yet.
void initialiseMonitorState(MonitorState &state);

} // namespace startup
