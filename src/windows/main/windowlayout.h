#pragma once

#include "painters/chartscale.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>

namespace windowlayout {

inline constexpr int kLevelLabelCount = 8;
inline constexpr QPointF kPicture1Pos{840.0, 720.0};

// What the chart area's layout depends on; every length in twips.
struct Input
{
    QSizeF outerSize;                   // the window's outer (frame) size
    QPointF picture1Pos = kPicture1Pos; // Picture1's left and top inside Frame2
    int channelIndex = 0;                      // channel being measured, for the sweep marker
};

// Sizes and places of the controls that follow the window, inside Frame2, in twips.
struct Layout
{
    QSizeF frame2Size;
    QSizeF picture1Size;
    chart::ChartScale scale;
    std::array<QPointF, chart::kChannelLabelCount> chLabelPos{}; // left and top of each ChLabel
    std::array<double, kLevelLabelCount> rssiLabelTop{};
    QRectF picture2; // the sweep marker
};

// The chart area for a window of the given outer size; below the design size it keeps the
// design size and the window clips it.
Layout compute(const Input &input);

// Left edge of the sweep marker under column channelIndex: on resize and after every measurement.
float sweepMarkerLeft(int channelIndex, float channelWidth, double picture1Left);

} // namespace windowlayout
