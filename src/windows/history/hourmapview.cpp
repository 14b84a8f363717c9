#include "windows/history/hourmapview.h"
#include "core/channelplan.h"

#include "engine/record/channelstatistics.h"
#include "painters/hourmappainter.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

HourMapView::HourMapView(const ChannelStatistics &statistics, QWidget *parent)
    : QWidget(parent)
    , m_statistics(&statistics)
    , m_days(new QComboBox)
{
    setObjectName(QStringLiteral("byHour"));
    setAccessibleName(tr("Occupancy by hour of the day"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_days->setObjectName(QStringLiteral("byHourDays"));
    m_days->setAccessibleName(tr("Days"));
    m_days->setToolTip(tr("The days of the week whose hours the map shows"));
    m_days->addItem(tr("All days"), static_cast<int>(DaySelection::AllDays));
    m_days->addItem(tr("Weekdays"), static_cast<int>(DaySelection::Weekdays));
    m_days->addItem(tr("Weekends"), static_cast<int>(DaySelection::Weekends));
    auto *label = new QLabel(tr("&Days:"));
    label->setBuddy(m_days);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_days);
    row->addWidget(new QLabel(tr("Hours of local time; the busy hour of each channel framed.")), 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(m_days, &QComboBox::currentIndexChanged, this, [this] { update(); });
}

void HourMapView::setStatistics(const ChannelStatistics &statistics)
{
    m_statistics = &statistics;
    update();
}

QSize HourMapView::sizeHint() const
{
    return {720, 300};
}

QSize HourMapView::minimumSizeHint() const
{
    return {320, 160};
}

HourGrid HourMapView::grid() const
{
    return {m_statistics->hourMap(), static_cast<DaySelection>(m_days->currentData().toInt())};
}

QRect HourMapView::mapArea() const
{
    // The same columns as the waterfall above, whose scroll bar takes room at the right.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int top = m_days->geometry().bottom() + 1;
    return rect().adjusted(0, top, -scrollBar, 0);
}

void HourMapView::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QPalette &colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Window));
    chart::HourMapPainter(painter, {colours.color(QPalette::Base), colours.color(QPalette::Text),
                                    colours.color(QPalette::Mid)})
        .paint(mapArea(), grid());
}

std::optional<std::pair<int, int>> HourMapView::cellAt(const QPoint &point) const
{
    const chart::HourMapGeometry geometry(mapArea());
    if (!geometry.cells.contains(point)) {
        return std::nullopt;
    }
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        for (int hour = 0; hour < HourGrid::kHours; ++hour) {
            if (geometry.cell(index, hour).contains(point)) {
                return std::pair{index, hour};
            }
        }
    }
    return std::nullopt;
}

bool HourMapView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto *help = static_cast<QHelpEvent *>(event);
    const auto cell = cellAt(help->pos());
    if (!cell) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const auto [index, hour] = *cell;
    const HourGrid shown = grid();
    const std::optional<double> percent = shown.occupancyPct(index, hour);
    QString text = tr("Channel %1, %2:00–%3:00")
                       .arg(channelplan::channelNumber(index))
                       .arg(hour, 2, 10, QLatin1Char('0'))
                       .arg(hour + 1, 2, 10, QLatin1Char('0'));
    text += QLatin1Char('\n');
    text += percent ? tr("%1 % of %2 readings")
                          .arg(*percent, 0, 'f', 1)
                          .arg(QLocale().toString(shown.readings(index, hour)))
                    : tr("No readings");
    if (shown.busyHour(index) == hour) {
        text += QLatin1Char('\n') + tr("Busy hour");
    }
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}
