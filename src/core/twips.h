#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

// Every position and size in the program is in twips; this is the one place that turns
// them into Qt's logical pixels (15 twips a pixel at 96 dpi).
namespace twips {

inline constexpr int kPerPixel = 15;

inline int toPixels(double twipsValue)
{
    return static_cast<int>(std::lround(twipsValue / kPerPixel));
}

inline constexpr int fromPixels(int pixels)
{
    return pixels * kPerPixel;
}

inline QRect toPixels(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

inline QSize toPixels(const QSize &size)
{
    return {toPixels(size.width()), toPixels(size.height())};
}

inline QSize fromPixels(const QSize &size)
{
    return {fromPixels(size.width()), fromPixels(size.height())};
}

} // namespace twips
