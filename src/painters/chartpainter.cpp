#include "painters/chartpainter.h"

#include "core/twips.h"
#include "painters/chartscale.h"

#include <QPainter>
#include <QPen>

namespace chart {

namespace {

constexpr int kTallWindowHeight = 9900; // above this the level lines come every 10 dB
constexpr int kFineLineCount = 14;
constexpr int kFineLineStep = 10;
constexpr int kCoarseLineCount = 7;
constexpr int kCoarseLineStep = 20;
constexpr float kPixel = twips::kPerPixel;
constexpr float kHalfPixel = kPixel / 2;

} // namespace

ChartPainter::ChartPainter(QPainter &painter, const QSizeF &sizeTwips)
    : m_painter(painter)
    , m_width(static_cast<float>(sizeTwips.width()))
    , m_height(static_cast<float>(sizeTwips.height()))
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.scale(1.0 / twips::kPerPixel, 1.0 / twips::kPerPixel);
}

ChartPainter::~ChartPainter()
{
    m_painter.restore();
}

void ChartPainter::paintChart(const ChartContent &content)
{
    const ChartScale scale = ComputeChartScale(m_width, m_height);
    const ChartColours &colours = content.colours;

    paintBackground(colours.background);
    paintLevelLines(colours.levelLine, content.outerHeight, scale.dbHeight);
    paintChannelGrid(colours.levelLine, scale.channelWidth);
    paintBars(content.readings, colours, scale.channelWidth, scale.dbHeight);
    if (content.readings.cursorIndex) {
        const float x = channelToX(*content.readings.cursorIndex, scale.channelWidth);
        line(x, 0.0F, x, m_height, colours.cursor);
    }
}

void ChartPainter::paintBackground(const QColor &colour)
{
    filledBox(0.0F, 0.0F, m_width, m_height, colour);
}

void ChartPainter::paintLevelLines(const QColor &colour, int outerHeight, float dbHeight)
{
    const bool tall = outerHeight > kTallWindowHeight;
    const int count = tall ? kFineLineCount : kCoarseLineCount;
    const int step = tall ? kFineLineStep : kCoarseLineStep;
    for (int k = 0; k < count; ++k) {
        const float y = levelToY(-step * k, m_height, dbHeight);
        line(0.0F, y, m_width, y, colour);
    }
}

void ChartPainter::paintChannelGrid(const QColor &colour, float channelWidth)
{
    for (int k = 0; k < kChannelLabelCount; ++k) {
        const float x = channelToX(k * kChannelLabelStep, channelWidth);
        line(x, 0.0F, x, m_height, colour);
    }
}

void ChartPainter::paintBars(const MonitorState &readings, const ChartColours &colours,
                             float channelWidth, float dbHeight)
{
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const float left = barLeft(i, channelWidth);
        const float right = barRight(i, channelWidth);
        // The RSSI bar covers the maximum bar up to the current level.
        filledBox(left, levelToY(readings.highest.at(at), m_height, dbHeight), right, m_height,
                  colours.max);
        filledBox(left, levelToY(readings.latest.at(at), m_height, dbHeight), right, m_height,
                  colours.rssi);
    }
}

void ChartPainter::line(float x1, float y1, float x2, float y2, const QColor &colour)
{
    QPen pen(colour);
    pen.setWidthF(kPixel);
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    // Centred on the pixel the coordinate rounds to, as a box edge is: a bar whose top lies on
    // a level line covers that line.
    m_painter.drawLine(QPointF(x1 + kHalfPixel, y1 + kHalfPixel),
                       QPointF(x2 + kHalfPixel, y2 + kHalfPixel));
}

void ChartPainter::filledBox(float x1, float y1, float x2, float y2, const QColor &colour)
{
    // The outline's pixels lie inside the corners, so the far corner's pixel is part of the box.
    const QRectF box = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    m_painter.fillRect(box.adjusted(0.0, 0.0, kPixel, kPixel), colour);
}

} // namespace chart
