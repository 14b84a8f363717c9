#include "windows/main/outersize.h"

namespace outersize {

std::optional<QSize> settledClientSize(const QSize &outer, const QMargins &frame)
{
    if (frame.isNull()) {
        return std::nullopt;
    }
    return outer.shrunkBy(frame);
}

} // namespace outersize
