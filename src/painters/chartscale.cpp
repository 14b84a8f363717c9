#include "painters/chartscale.h"

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

constexpr float kWidthMargin = 30.0F;
constexpr float kDecibelSpan = 150.0F;
constexpr int kBottomLevel = 140; // -140 dBm sits on the bottom edge
constexpr float kBarInset = 15.0F;
constexpr double kBarShare = 0.8;
constexpr double kLineInColumn = 0.45; // grid and cursor lines, near the bar's middle

} // namespace

ChartScale ComputeChartScale(float width, float height, qint16 chMax)
{
    const auto columns = static_cast<qint16>(chMax + 1);
    const float perColumn = (width - kWidthMargin) / static_cast<float>(columns);
    return {std::floor(perColumn), height / kDecibelSpan};
}

float levelToY(int level, float height, float dbHeight)
{
    // 32-bit sum: a reading near the top of the 16-bit range must not overflow.
    return height - static_cast<float>(level + kBottomLevel) * dbHeight;
}

float channelToX(double index, float channelWidth)
{
    return static_cast<float>(index * channelWidth + kLineInColumn * channelWidth);
}

float barLeft(int index, float channelWidth)
{
    return kBarInset + static_cast<float>(index) * channelWidth;
}

float barRight(int index, float channelWidth)
{
    return static_cast<float>(barLeft(index, channelWidth) + kBarShare * channelWidth);
}

int xToChannel(float x, float channelWidth, int chMax)
{
    // A chart too small to have columns has only the first channel under the pointer.
    if (!(channelWidth > 0.0F)) {
        return 0;
    }
    const float column = std::floor(x / channelWidth);
    return static_cast<int>(std::clamp(column, 0.0F, static_cast<float>(chMax)));
}

} // namespace chart
