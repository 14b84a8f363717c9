#include "painters/waterfallpainter.h"
#include "core/channelplan.h"

#include "engine/history/sweeprows.h"
#include "engine/protocol/monitorstate.h"
#include "painters/colormap.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace chart {

namespace {

constexpr int kChannelLabelStep = 4;
constexpr int kMinimumTimeSpacing = 40; // pixels between two clock times
constexpr int kLegendBarWidth = 14;
constexpr int kLegendGap = 6;
constexpr int kLegendLabelStep = 20; // dB between two legend labels
constexpr int kLabelMargin = 4;

// The y of a level on the legend bar, +10 dBm at the top.
int legendY(const QRect &bar, int dbm)
{
    const int span = colormap::kHighestDbm - colormap::kLowestDbm;
    return bar.top() + (colormap::kHighestDbm - dbm) * (bar.height() - 1) / span;
}

} // namespace

int channelColumnLeft(const QRect &columns, int index)
{
    return columns.left() + columns.width() * index / MonitorState::kChannelCount;
}

void paintChannelNumbers(QPainter &painter, const QRect &header)
{
    for (int index = 0; index < MonitorState::kChannelCount; index += kChannelLabelStep) {
        const int left = channelColumnLeft(header, index);
        const int width = channelColumnLeft(header, index + 1) - left;
        const QRect column(left - width, header.top(), 3 * width, header.height());
        painter.drawText(column, Qt::AlignCenter,
                         QString::number(channelplan::channelNumber(index)));
    }
}

WaterfallGeometry::WaterfallGeometry(const QRect &paintArea)
    : area(paintArea)
{
    const int cellsLeft = area.left() + kTimeColumnWidth;
    const int cellsWidth = std::max(0, area.width() - kTimeColumnWidth - kLegendWidth);
    const int bodyTop = area.top() + kHeaderHeight;
    const int bodyHeight = std::max(0, area.height() - kHeaderHeight);
    header = QRect(cellsLeft, area.top(), cellsWidth, kHeaderHeight);
    times = QRect(area.left(), bodyTop, kTimeColumnWidth, bodyHeight);
    cells = QRect(cellsLeft, bodyTop, cellsWidth, bodyHeight);
    legend = QRect(cellsLeft + cellsWidth, bodyTop, kLegendWidth, bodyHeight);
}

WaterfallPainter::WaterfallPainter(QPainter &painter, const WaterfallColours &colours)
    : m_painter(painter)
    , m_colours(colours)
{}

void WaterfallPainter::paint(const QRect &area, const SweepRows &history, int firstAge,
                             Qt::TimeSpec clock)
{
    m_clock = clock;
    const WaterfallGeometry geometry(area);
    const int first = std::clamp(firstAge, 0, std::max(0, history.rowCount() - 1));
    const int rows = std::clamp(history.rowCount() - first, 0, geometry.visibleRows());

    m_painter.save();
    m_painter.fillRect(area, m_colours.background);
    m_painter.setPen(m_colours.text);
    paintChannelNumbers(m_painter, geometry.header);
    paintCells(geometry, history, first, rows);
    paintTimes(geometry, history, first, rows);
    paintLegend(geometry);
    m_painter.restore();
}

void WaterfallPainter::paintCells(const WaterfallGeometry &geometry, const SweepRows &history,
                                  int firstAge, int rows)
{
    if (rows == 0 || geometry.cells.width() <= 0) {
        return;
    }
    // One pixel per reading, then stretched: a lookup per cell instead of a rectangle per cell.
    QImage image(MonitorState::kChannelCount, rows, QImage::Format_RGB32);
    const QRgb separator = m_colours.separator.rgb();
    for (int line = 0; line < rows; ++line) {
        const HistoryRow row = history.row(firstAge + line);
        auto *pixels = reinterpret_cast<QRgb *>(image.scanLine(line));
        for (int channel = 0; channel < MonitorState::kChannelCount; ++channel) {
            pixels[channel] = row.runStart ? separator : colormap::colourFor(row.dbm.at(channel));
        }
    }
    const QRect target(geometry.cells.left(), geometry.cells.top(), geometry.cells.width(),
                       rows * WaterfallGeometry::kRowHeight);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(target, image);
}

void WaterfallPainter::paintTimes(const WaterfallGeometry &geometry, const SweepRows &history,
                                  int firstAge, int rows)
{
    const int spacing = kMinimumTimeSpacing / WaterfallGeometry::kRowHeight;
    const int textHeight = m_painter.fontMetrics().height();
    const QRect &times = geometry.times;
    const int labelRows = textHeight / WaterfallGeometry::kRowHeight + 1;
    const auto runStartBelow = [&](int line) {
        for (int next = line + 1; next < std::min(rows, line + labelRows); ++next) {
            if (history.row(firstAge + next).runStart) {
                return true;
            }
        }
        return false;
    };
    // The first time may reach up beside the channel numbers.
    int lastLabelBottom = geometry.area.top() - 1;
    for (int line = 0; line < rows; ++line) {
        const HistoryRow row = history.row(firstAge + line);
        if (!row.runStart && line % spacing != 0) {
            continue;
        }
        const int y = times.top() + line * WaterfallGeometry::kRowHeight;
        // A run start is always labelled; a regular time gives way to a label next to it.
        if (!row.runStart && (y - textHeight / 2 <= lastLabelBottom || runStartBelow(line))) {
            continue;
        }
        const QRect label(times.left(), y - textHeight / 2, times.width() - kLabelMargin,
                          textHeight);
        m_painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                           QDateTime::fromMSecsSinceEpoch(row.utcMs, m_clock)
                               .toString(QStringLiteral("HH:mm:ss")));
        lastLabelBottom = label.bottom();
    }
}

void WaterfallPainter::paintLegend(const WaterfallGeometry &geometry)
{
    const QRect &legend = geometry.legend;
    const int textHeight = m_painter.fontMetrics().height();
    // Inset by half a label, so that the labels at both ends are whole.
    const QRect bar(legend.left() + kLegendGap, legend.top() + textHeight / 2, kLegendBarWidth,
                    legend.height() - textHeight);
    if (bar.height() <= 1) {
        return;
    }
    for (int y = bar.top(); y <= bar.bottom(); ++y) {
        const int span = colormap::kHighestDbm - colormap::kLowestDbm;
        const int dbm = colormap::kHighestDbm - (y - bar.top()) * span / (bar.height() - 1);
        m_painter.fillRect(bar.left(), y, bar.width(), 1, QColor(colormap::colourFor(dbm)));
    }
    const int textLeft = bar.right() + kLabelMargin;
    for (int dbm = 0; dbm >= colormap::kLowestDbm; dbm -= kLegendLabelStep) {
        const int y = legendY(bar, dbm);
        m_painter.drawLine(bar.right() + 1, y, bar.right() + 2, y);
        const QRect label(textLeft, y - textHeight / 2, legend.right() - textLeft, textHeight);
        m_painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                           QCoreApplication::translate("WaterfallPainter", "%1 dBm").arg(dbm));
    }
}

} // namespace chart
