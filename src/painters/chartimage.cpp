#include "painters/chartimage.h"

#include "core/designsizes.h"
#include "core/twips.h"
#include "painters/chartpainter.h"
#include "painters/chartscale.h"
#include "painters/palette.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace scan {

namespace {

QColor swatchColour(std::size_t swatch)
{
    const auto colorNo = static_cast<std::size_t>(palette::kInitialColorNo.at(swatch - 1));
    return palette::resolve(palette::kColorTable.at(colorNo), QGuiApplication::palette());
}

} // namespace

QImage chartImage(const MonitorState &readings)
{
    const QSizeF sizeTwips(chart::kDesignChartWidth, chart::kDesignChartHeight);
    QImage image(twips::toPixels(sizeTwips.width()), twips::toPixels(sizeTwips.height()),
                 QImage::Format_RGB32);
    chart::ChartContent content;
    content.colours = {swatchColour(1), swatchColour(2), swatchColour(3), swatchColour(4),
                       swatchColour(5)};
    // The window's first outer height, which sets how dense the level lines are.
    content.outerHeight = designsizes::kStartHeight;
    content.readings = readings;
    QPainter painter(&image);
    chart::ChartPainter chart(painter, sizeTwips);
    chart.paintChart(content);
    return image;
}

} // namespace scan
