#include "windows/history/waterfallview.h"

#include "engine/history/sweephistory.h"
#include "painters/waterfallpainter.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr QSize kPreferredSize(720, 360);

} // namespace

WaterfallView::WaterfallView(const SweepHistory &history, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_history(history)
{
    setObjectName(QStringLiteral("waterfall"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    connect(&history, &SweepHistory::rowAdded, this, &WaterfallView::rowAdded);
    connect(&history, &SweepHistory::cleared, this, [this] {
        updateScrollRange();
        viewport()->update();
    });
}

QSize WaterfallView::sizeHint() const
{
    return kPreferredSize;
}

QImage WaterfallView::image() const
{
    QImage image(viewport()->size() * viewport()->devicePixelRatio(), QImage::Format_RGB32);
    image.setDevicePixelRatio(viewport()->devicePixelRatio());
    QPainter painter(&image);
    paintOn(painter);
    return image;
}

void WaterfallView::rowAdded()
{
    QScrollBar *bar = verticalScrollBar();
    const int value = bar->value();
    updateScrollRange();
    if (value > 0) {
        // Scrolled back: the rows in view are now one further from the newest.
        bar->setValue(value + 1);
    }
    viewport()->update();
}

void WaterfallView::updateScrollRange()
{
    const chart::WaterfallGeometry geometry(viewport()->rect());
    const int visible = std::max(1, geometry.visibleRows());
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(visible);
    bar->setRange(0, std::max(0, m_history.size() - visible));
}

void WaterfallView::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(viewport());
    paintOn(painter);
}

void WaterfallView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void WaterfallView::paintOn(QPainter &painter) const
{
    const QPalette &colours = palette();
    chart::WaterfallPainter waterfall(painter,
                                      {colours.color(QPalette::Base), colours.color(QPalette::Text),
                                       colours.color(QPalette::Text)});
    waterfall.paint(viewport()->rect(), m_history, verticalScrollBar()->value());
}
