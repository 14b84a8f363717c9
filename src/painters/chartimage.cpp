#include "painters/chartimage.h"
#include "core/designsizes.h"

#include "core/twips.h"
#include "engine/protocol/monitorstate.h"
#include "painters/chartpainter.h"
#include "painters/chartscale.h"
#include "painters/palette.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace scan {

namespace {
// The window's first outer height, which sets how dense the level lines are.
constexpr int kChannelLabelStep = 4;

QColor swatchColour(std::size_t swatch)
{
    const auto colorNo = static_cast<std::size_t>(palette::kInitialColorNo.at(swatch - 1));
    return palette::resolve(palette::kColorTable.at(colorNo), QGuiApplication::palette());
}
} // namespace

QImage chartImage(const MonitorState &state)
{
    const QSizeF sizeTwips(chart::kDesignChartWidth, chart::kDesignChartHeight);
    QImage image(twips::toPixels(sizeTwips.width()), twips::toPixels(sizeTwips.height()),
                 QImage::Format_RGB32);
    chart::ChartControls controls;
    controls.colours = {swatchColour(1), swatchColour(2), swatchColour(3), swatchColour(4),
                        swatchColour(5)};
    controls.outerHeight = designsizes::kStartHeight;
    for (std::size_t i = 0; i < controls.channelCaptions.size(); ++i) {
        controls.channelCaptions.at(i) =
            QString::number(static_cast<int>(i) * kChannelLabelStep + state.chStart);
    }
    QPainter painter(&image);
    chart::ChartPainter chart(painter, sizeTwips);
    chart.paintChart(state, controls);
    return image;
}

} // namespace scan
