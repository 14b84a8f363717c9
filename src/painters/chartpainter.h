#pragma once

#include "engine/protocol/monitorstate.h"

#include <QColor>
#include <QSizeF>

class QPainter;

namespace chart {

// The five chart colours, as the swatches show them at the moment of painting.
struct ChartColours
{
    QColor background;
    QColor levelLine; // level lines and channel grid
    QColor rssi;
    QColor max;
    QColor cursor;
};

// Everything one paint of the chart shows.
struct ChartContent
{
    ChartColours colours;
    int outerHeight = 0; // the window's outer height, twips: a tall window gets finer level lines
    MonitorState readings;
};

// Paints the chart, in twips, onto a painter that works in logical pixels. The painter's
// state is restored when this object goes away.
class ChartPainter
{
public:
    ChartPainter(QPainter &painter, const QSizeF &sizeTwips);
    ~ChartPainter();
    ChartPainter(const ChartPainter &) = delete;
    ChartPainter &operator=(const ChartPainter &) = delete;

    // Background, level lines, channel grid, maximum and RSSI bars, then the cursor line.
    void paintChart(const ChartContent &content);
    // The background alone, as after a colour change or a resize.
    void paintBackground(const QColor &colour);

private:
    void paintLevelLines(const QColor &colour, int outerHeight, float dbHeight);
    // A line through every captioned channel.
    void paintChannelGrid(const QColor &colour, float channelWidth);
    void paintBars(const MonitorState &readings, const ChartColours &colours, float channelWidth,
                   float dbHeight);
    // A line one pixel wide.
    void line(float x1, float y1, float x2, float y2, const QColor &colour);
    // A box outlined and filled in one colour: both corners belong to it.
    void filledBox(float x1, float y1, float x2, float y2, const QColor &colour);

    QPainter &m_painter;
    float m_width = 0.0F;
    float m_height = 0.0F;
};

} // namespace chart
