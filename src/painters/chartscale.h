#pragma once

#include "core/channelplan.h"

#include <QtGlobal>

// The chart's scale and the coordinate rules built on it. Every length is in twips; single
// precision on purpose, so that column widths and bar heights match the original program's
// arithmetic to the last twip.
namespace chart {

inline constexpr float kDesignChartWidth = 9015.0F;
inline constexpr float kDesignChartHeight = 3495.0F;

// Every fourth channel has a caption under the chart and a grid line in it: ten in all.
inline constexpr int kChannelLabelStep = 4;
inline constexpr int kChannelLabelCount = 10;

struct ChartScale
{
    float channelWidth = 0.0F;  // twips per channel column, whole-valued
    float dbHeight = 0.0F; // twips per dB
};

// Column width and dB height for a chart of the given size: Int((width - 30) / 40) and
// height / 150.
ChartScale ComputeChartScale(float width, float height, qint16 chMax = channelplan::kLastIndex);

// Height of a level of `level` dBm: -140 lies on the bottom edge, +10 on the top edge.
float levelToY(int level, float height, float dbHeight);

// Middle line of column `index` (a grid line or the cursor).
float channelToX(double index, float channelWidth);

// A bar covers 80 % of its column, starting 15 twips in.
float barLeft(int index, float channelWidth);
float barRight(int index, float channelWidth);

// Column under a press at x; right of the last column still picks the last channel.
int xToChannel(float x, float channelWidth, int chMax = channelplan::kLastIndex);

} // namespace chart
