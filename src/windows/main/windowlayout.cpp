#include "windows/main/windowlayout.h"
#include "core/designsizes.h"

#include <algorithm>

namespace windowlayout {

namespace {

constexpr double kDesignFrameHeight = 4695.0;
constexpr double kDesignLabelRow = 4320.0;
constexpr double kFrameWidthMargin = 600.0;
constexpr double kChartWidthMargin = 1080.0;
constexpr double kChannelLabelOffset = 85.0;
constexpr double kLevelLabelOffset = 100.0;
constexpr int kLevelLabelStepDb = 20;
constexpr int kTopLevelBelowEdgeDb = 10; // 0 dBm lies 10 dB below the chart's top edge
constexpr double kMarkerGap = 15.0;
constexpr double kMarkerOffset = 45.0;
constexpr double kMarkerHeight = 60.0;

} // namespace

Layout compute(const Input &input)
{
    Layout layout;
    // Above the design height everything grows by the same amount as the window.
    const double growth = std::max(0.0, input.outerSize.height() - designsizes::kLayoutHeight);
    const double frameWidth =
        std::max(static_cast<double>(designsizes::kStartWidth), input.outerSize.width()) -
        kFrameWidthMargin;
    layout.frame2Size = {frameWidth, kDesignFrameHeight + growth};
    layout.picture1Size = {frameWidth - kChartWidthMargin,
                           static_cast<double>(chart::kDesignChartHeight) + growth};
    const double labelRow = kDesignLabelRow + growth;

    layout.scale = chart::ComputeChartScale(static_cast<float>(layout.picture1Size.width()),
                                            static_cast<float>(layout.picture1Size.height()));
    const double w = layout.scale.channelWidth;
    const double d = layout.scale.dbHeight;
    const QPointF origin = input.picture1Pos;

    for (int i = 0; i < chart::kChannelLabelCount; ++i) {
        const double left =
            origin.x() + w / 2 + chart::kChannelLabelStep * i * w - kChannelLabelOffset;
        layout.chLabelPos[static_cast<std::size_t>(i)] = {left, labelRow};
    }
    for (int i = 0; i < kLevelLabelCount; ++i) {
        layout.rssiLabelTop[static_cast<std::size_t>(i)] =
            origin.y() + (kLevelLabelStepDb * i + kTopLevelBelowEdgeDb) * d - kLevelLabelOffset;
    }
    layout.picture2 = {sweepMarkerLeft(input.channelIndex, layout.scale.channelWidth, origin.x()),
                       layout.picture1Size.height() + origin.y() + kMarkerGap, w, kMarkerHeight};
    return layout;
}

float sweepMarkerLeft(int channelIndex, float channelWidth, double picture1Left)
{
    return static_cast<float>(static_cast<float>(channelIndex) * channelWidth + picture1Left + kMarkerOffset);
}

} // namespace windowlayout
