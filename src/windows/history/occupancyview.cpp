#include "windows/history/occupancyview.h"
#include "core/channelplan.h"

#include "engine/record/baseline.h"
#include "engine/record/channelstatistics.h"
#include "painters/waterfallpainter.h"
#include "windows/history/alarmmarks.h"

#include <QPainter>
#include <QStyle>

#include <cmath>

namespace {

constexpr int kPercentStep = 25;
constexpr int kChannelLabelStep = 4;
constexpr int kBarGap = 2;
// Each side of a whisker's cap, as a share of the bar's width.
constexpr int kCapDivisor = 4;

// The same columns as the waterfall above, whose scroll bar takes room at the right, so that a
// channel lines up in both.
chart::WaterfallGeometry geometryOf(const QWidget &view)
{
    const int scrollBar = view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
    return chart::WaterfallGeometry(view.rect().adjusted(0, 0, -scrollBar, 0));
}

constexpr int kPlanFrame = 2;

} // namespace

OccupancyView::OccupancyView(const ChannelStatistics &statistics, QWidget *parent)
    : QWidget(parent)
    , m_statistics(&statistics)
{
    setObjectName(QStringLiteral("occupancy"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OccupancyView::setStatistics(const ChannelStatistics &statistics)
{
    m_statistics = &statistics;
    update();
}

void OccupancyView::setBaseline(const Baseline *baseline)
{
    m_baseline = baseline;
    update();
}

QSize OccupancyView::sizeHint() const
{
    return {720, 140};
}

QSize OccupancyView::minimumSizeHint() const
{
    return {320, 80};
}

void OccupancyView::setRaised(const QList<int> &indices)
{
    if (indices != m_raised) {
        m_raised = indices;
        update();
    }
}

QRect OccupancyView::plotArea() const
{
    // Room below the 0 % line for the half of its label that reaches under it.
    return geometryOf(*this).cells.adjusted(0, 0, 0, -fontMetrics().height() / 2);
}

int OccupancyView::percentY(const QRect &plot, double percent)
{
    // 100 % on the plot's top line, not above it.
    return plot.bottom() - static_cast<int>(std::lround(percent * (plot.height() - 1) / 100.0));
}

int OccupancyView::barCentre(const QRect &plot, int index)
{
    const int left = plot.left() + plot.width() * index / MonitorState::kChannelCount;
    const int right = plot.left() + plot.width() * (index + 1) / MonitorState::kChannelCount;
    return (left + right) / 2;
}

// How sure the bar is: a line over its 95 % interval, capped at both ends.
void OccupancyView::paintWhisker(QPainter &painter, const QRect &plot,
                                 const ChannelSummary &summary) const
{
    if (summary.hourSamples == 0) {
        return;
    }
    const int x = barCentre(plot, summary.index);
    const int cap = std::max(1, plot.width() / MonitorState::kChannelCount / kCapDivisor);
    const int high = percentY(plot, summary.occupancyHighPct);
    const int low = percentY(plot, summary.occupancyLowPct);
    painter.save();
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(x, high, x, low);
    painter.drawLine(x - cap, high, x + cap, high);
    painter.drawLine(x - cap, low, x + cap, low);
    painter.restore();
}

void OccupancyView::setPlanned(const QList<int> &indices)
{
    if (indices != m_planned) {
        m_planned = indices;
        update();
    }
}

QColor OccupancyView::planColour()
{
    // Apart from the highlight of the bars and the red of raised alarms.
    return {0, 160, 60};
}

void OccupancyView::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QPalette &colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    painter.setPen(colours.color(QPalette::Text));

    const chart::WaterfallGeometry geometry = geometryOf(*this);
    const int textHeight = fontMetrics().height();
    const QRect plot = plotArea();
    for (int percent = 0; percent <= 100; percent += kPercentStep) {
        const int y = percentY(plot, percent);
        painter.setPen(colours.color(QPalette::Mid));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(QRect(geometry.times.left(), y - textHeight / 2,
                               geometry.times.width() - 4, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, tr("%1 %").arg(percent));
    }
    const ChannelStatistics &statistics = *m_statistics;
    const QColor bar = colours.color(QPalette::Highlight);
    for (int index = 0; index < MonitorState::kChannelCount; ++index) {
        const int left = plot.left() + plot.width() * index / MonitorState::kChannelCount;
        const int right = plot.left() + plot.width() * (index + 1) / MonitorState::kChannelCount;
        const ChannelSummary summary = statistics.channel(index);
        const double percent = summary.occupancyPct;
        const int height = static_cast<int>(std::lround(percent * plot.height() / 100.0));
        const bool raised = m_raised.contains(index);
        painter.fillRect(left + kBarGap / 2, plot.bottom() + 1 - height, right - left - kBarGap,
                         height, raised ? alarmmarks::colour() : bar);
        if (raised) {
            painter.fillRect(left + kBarGap / 2, plot.top(), right - left - kBarGap,
                             alarmmarks::kMarkSize, alarmmarks::colour());
        }
        if (m_planned.contains(index)) {
            painter.save();
            painter.setPen(
                QPen(planColour(), kPlanFrame, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(
                QRect(left + kPlanFrame / 2, plot.top(), right - left - kPlanFrame, plot.height()));
            painter.restore();
        }
        const auto &before = m_baseline != nullptr
                                 ? m_baseline->channels[static_cast<std::size_t>(index)]
                                 : std::nullopt;
        if (before) {
            const int was =
                static_cast<int>(std::lround(before->occupancyPct * plot.height() / 100.0));
            painter.save();
            painter.setPen(QPen(colours.color(QPalette::Text), 1, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(left + kBarGap / 2, plot.bottom() + 1 - was,
                             right - left - kBarGap - 1, std::max(0, was - 1));
            painter.restore();
        }
        paintWhisker(painter, plot, summary);
        if (index % kChannelLabelStep == 0) {
            painter.drawText(QRect(left - 20, geometry.header.top(), right - left + 40,
                                   geometry.header.height()),
                             Qt::AlignCenter, QString::number(channelplan::channelNumber(index)));
        }
    }
}
