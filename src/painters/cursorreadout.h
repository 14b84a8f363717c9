#pragma once

#include <QString>

struct MonitorState;

namespace chart {

// The read-out under the cursor, "CH=12: 429.3125[MHz] / RSSI=-95, Max=-80[dBm]", or an
// empty text while the cursor is off.
QString cursorReadout(const MonitorState &state);

} // namespace chart
