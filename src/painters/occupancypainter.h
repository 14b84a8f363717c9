#pragma once

#include <QColor>
#include <QList>
#include <QRect>

class ChannelStatistics;
class QPainter;
struct Baseline;
struct ChannelSummary;

namespace chart {

struct OccupancyColours
{
    QColor background;
    QColor text;
    // The percent lines.
    QColor grid;
    QColor bar;
    // A channel with an alarm raised now.
    QColor alarm;
    // The frame of a channel of the plan.
    QColor plan;
};

// What is marked beside the bars.
struct OccupancyMarks
{
    // nullptr: no outlines.
    const Baseline *baseline = nullptr;
    // Channel indices with an alarm raised now, and the height of the band over their columns.
    QList<int> raised;
    int raisedMarkSize = 0;
    // Channel indices of a channel plan.
    QList<int> planned;
};

// Paints occupancy per channel as bars from 0 to 100 % in the waterfall's columns, each with its
// 95 % interval as a whisker; a baseline's occupancy as dashed outlines, raised alarms in their
// colour and the plan's channels framed; percent lines to the left, every fourth channel's
// number above.
class OccupancyPainter
{
public:
    OccupancyPainter(QPainter &painter, const OccupancyColours &colours);

    void paint(const QRect &area, const ChannelStatistics &statistics, const OccupancyMarks &marks);

    // Where the bars stand in an area, text of this height written beside them.
    [[nodiscard]] static QRect plotArea(const QRect &area, int textHeight);
    // The y of a percentage in the plot.
    [[nodiscard]] static int percentY(const QRect &plot, double percent);
    // The x of the middle of a channel's bar.
    [[nodiscard]] static int barCentre(const QRect &plot, int index);

private:
    void paintWhisker(const QRect &plot, const ChannelSummary &summary);
    void paintMarks(const QRect &plot, int index, const OccupancyMarks &marks);

    QPainter &m_painter;
    OccupancyColours m_colours;
};

} // namespace chart
