#pragma once

#include <QColor>
#include <QRect>

class HourGrid;
class QPainter;

namespace chart {

// Where the parts of an hour map go inside the area it is painted in: the channels in the
// waterfall's columns, so that a channel lines up in both, one row per hour of the day.
struct HourMapGeometry
{
    explicit HourMapGeometry(const QRect &area);

    // The cell of a channel index and an hour of the day (0-23).
    [[nodiscard]] QRect cell(int channelIndex, int hour) const;

    QRect area;
    QRect header;
    QRect hours;
    QRect cells;
    QRect legend;
};

struct HourMapColours
{
    QColor background;
    QColor text;
    // A cell without readings.
    QColor empty;
};

// Paints occupancy by hour of the day as a heat map: one column per channel, one row per hour,
// each cell coloured by its occupancy on the waterfall's ramp (a quiet hour at its bottom), the
// busy hour of each channel framed; channel numbers above, hours to the left, the legend in
// percent to the right.
class HourMapPainter
{
public:
    HourMapPainter(QPainter &painter, const HourMapColours &colours);

    void paint(const QRect &area, const HourGrid &grid);

    // The colour of a cell of this occupancy, 0 to 100.
    [[nodiscard]] static QColor cellColour(double occupancyPct);

private:
    void paintCells(const HourMapGeometry &geometry, const HourGrid &grid);
    void paintHours(const HourMapGeometry &geometry);
    void paintLegend(const HourMapGeometry &geometry);

    QPainter &m_painter;
    HourMapColours m_colours;
};

} // namespace chart
