#include "windows/history/occupancyview.h"

#include "painters/occupancypainter.h"
#include "windows/history/alarmmarks.h"

#include <QPainter>
#include <QStyle>

namespace {

// The same columns as the waterfall above, whose scroll bar takes room at the right, so that a
// channel lines up in both.
QRect barsArea(const QWidget &view)
{
    const int scrollBar = view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
    return view.rect().adjusted(0, 0, -scrollBar, 0);
}

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
    return chart::OccupancyPainter::plotArea(barsArea(*this), fontMetrics().height());
}

int OccupancyView::percentY(const QRect &plot, double percent)
{
    return chart::OccupancyPainter::percentY(plot, percent);
}

int OccupancyView::barCentre(const QRect &plot, int index)
{
    return chart::OccupancyPainter::barCentre(plot, index);
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
    // The whole view, under the scroll bar's room too.
    painter.fillRect(rect(), colours.color(QPalette::Base));
    chart::OccupancyPainter(painter,
                            {colours.color(QPalette::Base), colours.color(QPalette::Text),
                             colours.color(QPalette::Mid), colours.color(QPalette::Highlight),
                             alarmmarks::colour(), planColour()})
        .paint(barsArea(*this), *m_statistics,
               {m_baseline, m_raised, alarmmarks::kMarkSize, m_planned});
}
