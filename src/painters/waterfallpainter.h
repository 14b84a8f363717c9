#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class SweepRows;

namespace chart {

// Where the parts of a waterfall go inside the area it is painted in.
struct WaterfallGeometry
{
    static constexpr int kTimeColumnWidth = 64;
    static constexpr int kHeaderHeight = 18;
    static constexpr int kLegendWidth = 96;
    static constexpr int kRowHeight = 3;

    explicit WaterfallGeometry(const QRect &area);

    // The rows that fit under the header.
    [[nodiscard]] int visibleRows() const { return cells.height() / kRowHeight; }

    QRect area;
    QRect header;
    QRect times;
    QRect cells;
    QRect legend;
};

// The left edge of a channel's column in an area that holds every channel side by side.
[[nodiscard]] int channelColumnLeft(const QRect &columns, int index);
// Every fourth channel's number, centred over its column, in the painter's pen.
void paintChannelNumbers(QPainter &painter, const QRect &header);

// The foreground and background the labels are written in.
struct WaterfallColours
{
    QColor background;
    QColor text;
    QColor separator;
};

// Paints the sweeps of a history as a waterfall: one row per sweep, newest at the top, one
// column per channel, coloured by level; channel numbers above, clock times to the left and
// the colour legend in dBm to the right.
class WaterfallPainter
{
public:
    WaterfallPainter(QPainter &painter, const WaterfallColours &colours);

    // Rows from firstAge on (0 is the newest) fill the area downwards; times in local time or
    // UTC.
    void paint(const QRect &area, const SweepRows &history, int firstAge,
               Qt::TimeSpec clock = Qt::LocalTime);

private:
    void paintCells(const WaterfallGeometry &geometry, const SweepRows &history, int firstAge,
                    int rows);
    void paintTimes(const WaterfallGeometry &geometry, const SweepRows &history, int firstAge,
                    int rows);
    void paintLegend(const WaterfallGeometry &geometry);

    QPainter &m_painter;
    WaterfallColours m_colours;
    Qt::TimeSpec m_clock = Qt::LocalTime;
};

} // namespace chart
