#include "painters/hourmappainter.h"
#include "core/channelplan.h"

#include "engine/history/hourgrid.h"
#include "painters/colormap.h"
#include "painters/waterfallpainter.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>

namespace chart {

namespace {

constexpr int kLegendBarWidth = 14;
constexpr int kLegendGap = 6;
constexpr int kLegendLabelStep = 25; // percent between two legend labels
constexpr int kLabelMargin = 4;
// Hours between two labels, the fewest that keep the labels apart.
constexpr int kHourLabelSteps[] = {1, 2, 3, 6, 12};
constexpr int kMarkWidth = 1;

// A frame that stands out on both ends of the ramp.
QColor markColour(const QColor &cell)
{
    constexpr int kMidGrey = 128;
    return qGray(cell.rgb()) >= kMidGrey ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace

HourMapGeometry::HourMapGeometry(const QRect &paintArea)
    : area(paintArea)
{
    const WaterfallGeometry waterfall(paintArea);
    header = waterfall.header;
    hours = waterfall.times;
    cells = waterfall.cells;
    legend = waterfall.legend;
}

QRect HourMapGeometry::cell(int channelIndex, int hour) const
{
    const int left = channelColumnLeft(cells, channelIndex);
    const int top = cells.top() + cells.height() * hour / HourGrid::kHours;
    const int bottom = cells.top() + cells.height() * (hour + 1) / HourGrid::kHours;
    return {left, top, channelColumnLeft(cells, channelIndex + 1) - left, bottom - top};
}

HourMapPainter::HourMapPainter(QPainter &painter, const HourMapColours &colours)
    : m_painter(painter)
    , m_colours(colours)
{}

QColor HourMapPainter::cellColour(double occupancyPct)
{
    return QColor(colormap::colourForShare(occupancyPct / 100.0));
}

void HourMapPainter::paint(const QRect &area, const HourGrid &grid)
{
    const HourMapGeometry geometry(area);
    m_painter.save();
    m_painter.fillRect(area, m_colours.background);
    m_painter.setPen(m_colours.text);
    paintChannelNumbers(m_painter, geometry.header);
    paintCells(geometry, grid);
    paintHours(geometry);
    paintLegend(geometry);
    m_painter.restore();
}

void HourMapPainter::paintCells(const HourMapGeometry &geometry, const HourGrid &grid)
{
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const std::optional<int> busy = grid.busyHour(index);
        for (int hour = 0; hour < HourGrid::kHours; ++hour) {
            const std::optional<double> percent = grid.occupancyPct(index, hour);
            const QColor colour = percent ? cellColour(*percent) : m_colours.empty;
            const QRect cell = geometry.cell(index, hour);
            m_painter.fillRect(cell, colour);
            if (busy == hour) {
                m_painter.save();
                m_painter.setPen(QPen(markColour(colour), kMarkWidth));
                m_painter.setBrush(Qt::NoBrush);
                m_painter.drawRect(cell.adjusted(0, 0, -kMarkWidth, -kMarkWidth));
                m_painter.restore();
            }
        }
    }
}

void HourMapPainter::paintHours(const HourMapGeometry &geometry)
{
    const int textHeight = m_painter.fontMetrics().height();
    const int rowHeight = std::max(1, geometry.cells.height() / HourGrid::kHours);
    int step = kHourLabelSteps[std::size(kHourLabelSteps) - 1];
    for (const int candidate : kHourLabelSteps) {
        if (candidate * rowHeight >= textHeight) {
            step = candidate;
            break;
        }
    }
    for (int hour = 0; hour < HourGrid::kHours; hour += step) {
        const QRect row = geometry.cell(0, hour);
        const QRect label(geometry.hours.left(), row.center().y() - textHeight / 2,
                          geometry.hours.width() - kLabelMargin, textHeight);
        m_painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0')));
    }
}

void HourMapPainter::paintLegend(const HourMapGeometry &geometry)
{
    const QRect &legend = geometry.legend;
    const int textHeight = m_painter.fontMetrics().height();
    const QRect bar(legend.left() + kLegendGap, legend.top() + textHeight / 2, kLegendBarWidth,
                    legend.height() - textHeight);
    if (bar.height() <= 1) {
        return;
    }
    for (int y = bar.top(); y <= bar.bottom(); ++y) {
        const double percent = 100.0 * (bar.bottom() - y) / (bar.height() - 1);
        m_painter.fillRect(bar.left(), y, bar.width(), 1, cellColour(percent));
    }
    const int textLeft = bar.right() + kLabelMargin;
    for (int percent = 0; percent <= 100; percent += kLegendLabelStep) {
        const int y = bar.bottom() - percent * (bar.height() - 1) / 100;
        m_painter.drawLine(bar.right() + 1, y, bar.right() + 2, y);
        const QRect label(textLeft, y - textHeight / 2, legend.right() - textLeft, textHeight);
        m_painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                           QCoreApplication::translate("HourMapPainter", "%1 %").arg(percent));
    }
}

} // namespace chart
