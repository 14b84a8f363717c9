#include "painters/occupancypainter.h"
#include "core/channelplan.h"

#include "engine/record/baseline.h"
#include "engine/record/channelstatistics.h"
#include "painters/waterfallpainter.h"

#include <QCoreApplication>
#include <QPainter>

#include <cmath>

namespace chart {

namespace {

constexpr int kPercentStep = 25;
constexpr int kChannelLabelStep = 4;
constexpr int kBarGap = 2;
// Each side of a whisker's cap, as a share of the bar's width.
constexpr int kCapDivisor = 4;
constexpr int kPlanFrame = 2;
constexpr int kLabelMargin = 4;
constexpr int kLabelOverhang = 20;

int columnLeft(const QRect &plot, int index)
{
    return plot.left() + plot.width() * index / MonitorState::kChannelCount;
}

} // namespace

OccupancyPainter::OccupancyPainter(QPainter &painter, const OccupancyColours &colours)
    : m_painter(painter)
    , m_colours(colours)
{}

QRect OccupancyPainter::plotArea(const QRect &area, int textHeight)
{
    // Room below the 0 % line for the half of its label that reaches under it.
    return WaterfallGeometry(area).cells.adjusted(0, 0, 0, -textHeight / 2);
}

int OccupancyPainter::percentY(const QRect &plot, double percent)
{
    // 100 % on the plot's top line, not above it.
    return plot.bottom() - static_cast<int>(std::lround(percent * (plot.height() - 1) / 100.0));
}

int OccupancyPainter::barCentre(const QRect &plot, int index)
{
    return (columnLeft(plot, index) + columnLeft(plot, index + 1)) / 2;
}

void OccupancyPainter::paint(const QRect &area, const ChannelStatistics &statistics,
                             const OccupancyMarks &marks)
{
    m_painter.save();
    m_painter.fillRect(area, m_colours.background);
    const WaterfallGeometry geometry(area);
    const int textHeight = m_painter.fontMetrics().height();
    const QRect plot = plotArea(area, textHeight);
    for (int percent = 0; percent <= 100; percent += kPercentStep) {
        const int y = percentY(plot, percent);
        m_painter.setPen(m_colours.grid);
        m_painter.drawLine(plot.left(), y, plot.right(), y);
        m_painter.setPen(m_colours.text);
        m_painter.drawText(QRect(geometry.times.left(), y - textHeight / 2,
                                 geometry.times.width() - kLabelMargin, textHeight),
                           Qt::AlignRight | Qt::AlignVCenter,
                           QCoreApplication::translate("OccupancyView", "%1 %").arg(percent));
    }
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        const int left = columnLeft(plot, index);
        const int right = columnLeft(plot, index + 1);
        const ChannelSummary summary = statistics.channel(index);
        const int height =
            static_cast<int>(std::lround(summary.occupancyPct * plot.height() / 100.0));
        m_painter.fillRect(left + kBarGap / 2, plot.bottom() + 1 - height, right - left - kBarGap,
                           height, marks.raised.contains(index) ? m_colours.alarm : m_colours.bar);
        paintMarks(plot, index, marks);
        paintWhisker(plot, summary);
        if (index % kChannelLabelStep == 0) {
            m_painter.drawText(QRect(left - kLabelOverhang, geometry.header.top(),
                                     right - left + 2 * kLabelOverhang, geometry.header.height()),
                               Qt::AlignCenter, QString::number(channelplan::channelNumber(index)));
        }
    }
    m_painter.restore();
}

void OccupancyPainter::paintMarks(const QRect &plot, int index, const OccupancyMarks &marks)
{
    const int left = columnLeft(plot, index);
    const int right = columnLeft(plot, index + 1);
    if (marks.raised.contains(index)) {
        m_painter.fillRect(left + kBarGap / 2, plot.top(), right - left - kBarGap,
                           marks.raisedMarkSize, m_colours.alarm);
    }
    if (marks.planned.contains(index)) {
        m_painter.save();
        m_painter.setPen(
            QPen(m_colours.plan, kPlanFrame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(
            QRect(left + kPlanFrame / 2, plot.top(), right - left - kPlanFrame, plot.height()));
        m_painter.restore();
    }
    const auto &before = marks.baseline != nullptr
                             ? marks.baseline->channels[static_cast<std::size_t>(index)]
                             : std::nullopt;
    if (before) {
        const int was = static_cast<int>(std::lround(before->occupancyPct * plot.height() / 100.0));
        m_painter.save();
        m_painter.setPen(QPen(m_colours.text, 1, Qt::DashLine));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(left + kBarGap / 2, plot.bottom() + 1 - was, right - left - kBarGap - 1,
                           std::max(0, was - 1));
        m_painter.restore();
    }
}

// How sure the bar is: a line over its 95 % interval, capped at both ends.
void OccupancyPainter::paintWhisker(const QRect &plot, const ChannelSummary &summary)
{
    if (summary.hourSamples == 0) {
        return;
    }
    const int x = barCentre(plot, summary.index);
    const int cap = std::max(1, plot.width() / MonitorState::kChannelCount / kCapDivisor);
    const int high = percentY(plot, summary.occupancyHighPct);
    const int low = percentY(plot, summary.occupancyLowPct);
    m_painter.save();
    m_painter.setPen(m_colours.text);
    m_painter.drawLine(x, high, x, low);
    m_painter.drawLine(x - cap, high, x + cap, high);
    m_painter.drawLine(x - cap, low, x + cap, low);
    m_painter.restore();
}

} // namespace chart
