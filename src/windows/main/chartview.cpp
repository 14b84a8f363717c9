#include "windows/main/chartview.h"

#include "core/twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <utility>

namespace chart {

namespace {

QSize pixelSize(const QSizeF &sizeTwips)
{
    return {twips::toPixels(sizeTwips.width()), twips::toPixels(sizeTwips.height())};
}

} // namespace

ChartView::ChartView(ChartContentSource source, QWidget *parent)
    : QWidget(parent)
    , m_source(std::move(source))
{
    Q_ASSERT(m_source);
    // Every paint covers the whole widget, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(pixelSize(m_sizeTwips));
}

void ChartView::setSizeTwips(const QSizeF &size)
{
    m_sizeTwips = size;
    resize(pixelSize(size));
}

ChartScale ChartView::scale() const
{
    return ComputeChartScale(static_cast<float>(m_sizeTwips.width()),
                             static_cast<float>(m_sizeTwips.height()));
}

void ChartView::refresh()
{
    m_blank.reset();
    update();
}

void ChartView::blankWith(const QColor &colour)
{
    m_blank = colour;
    update();
}

QImage ChartView::image() const
{
    QImage image(size() * devicePixelRatio(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio());
    QPainter painter(&image);
    ChartPainter chart(painter, m_sizeTwips);
    chart.paintChart(m_source());
    return image;
}

QSize ChartView::sizeHint() const
{
    return pixelSize({kDesignChartWidth, kDesignChartHeight});
}

void ChartView::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    ChartPainter chart(painter, m_sizeTwips);
    if (m_blank) {
        chart.paintBackground(*m_blank);
    } else {
        chart.paintChart(m_source());
    }
}

void ChartView::resizeEvent(QResizeEvent *event)
{
    // Sized in pixels by someone else: the twips size follows, to the pixel.
    if (event->size() != pixelSize(m_sizeTwips)) {
        m_sizeTwips = twips::fromPixels(event->size());
    }
    QWidget::resizeEvent(event);
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT pressed(event->position() * twips::kPerPixel);
    event->accept();
}

} // namespace chart
