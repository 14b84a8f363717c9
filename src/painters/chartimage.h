#pragma once

#include <QImage>

struct MonitorState;

namespace scan {

// The chart as the window draws it at its design size and first colours: bars, held maximum,
// and the cursor line when a single channel is measured. Needs a QGuiApplication.
QImage chartImage(const MonitorState &readings);

} // namespace scan
