#pragma once

#include <QMargins>
#include <QSize>

#include <optional>

namespace outersize {

// The client size that gives a window the outer size `outer` inside a frame with these
// margins; nothing while the window has no frame (none yet, or none at all), since then the
// outer size is the client size. A frame with a title bar only still counts.
[[nodiscard]] std::optional<QSize> settledClientSize(const QSize &outer, const QMargins &frame);

} // namespace outersize
