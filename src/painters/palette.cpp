#include "painters/palette.h"

#include <QPalette>

namespace palette {

QColor resolve(quint32 value, const QPalette &desktop)
{
    if ((value & kSystemColourFlag) != 0U) {
        switch (value & 0xFFU) {
        case kSystemButtonFace:
            return desktop.color(QPalette::Active, QPalette::Button);
        case kSystemWindowBackground:
            return desktop.color(QPalette::Active, QPalette::Base);
        default:
            return desktop.color(QPalette::Active, QPalette::Window);
        }
    }
    const int red = static_cast<int>(value & 0xFFU);
    const int green = static_cast<int>((value >> 8U) & 0xFFU);
    const int blue = static_cast<int>((value >> 16U) & 0xFFU);
    return QColor(red, green, blue);
}

} // namespace palette
