#include "windows/history/waterfallview.h"

#include "engine/history/sweephistory.h"
#include "painters/waterfallpainter.h"
#include "windows/history/alarmmarks.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr QSize kPreferredSize(720, 360);
// An image of a selection holds at most this many rows, a little over 12,000 pixels high.
constexpr int kMostImageRows = 4096;
constexpr int kSelectionAlpha = 70;

} // namespace

WaterfallView::WaterfallView(const SweepHistory &history, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_history(history)
{
    setObjectName(QStringLiteral("waterfall"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    connect(&history, &SweepHistory::rowAdded, this, &WaterfallView::rowAdded);
    connect(&history, &SweepHistory::cleared, this, [this] {
        if (m_rows == nullptr) {
            clearSelection();
        }
        updateScrollRange();
        viewport()->update();
    });
}

QSize WaterfallView::sizeHint() const
{
    return kPreferredSize;
}

void WaterfallView::setRows(const SweepRows *rows)
{
    m_rows = rows;
    clearSelection();
    updateScrollRange();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void WaterfallView::setClock(Qt::TimeSpec clock)
{
    m_clock = clock;
    viewport()->update();
}

void WaterfallView::setPlaceholder(const QString &text)
{
    m_placeholder = text;
    viewport()->update();
}

void WaterfallView::clearSelection()
{
    m_dragFrom.reset();
    if (m_selection) {
        m_selection.reset();
        viewport()->update();
        Q_EMIT selectionChanged();
    }
}

const SweepRows &WaterfallView::rows() const
{
    return m_rows != nullptr ? *m_rows : m_history;
}

QImage WaterfallView::image() const
{
    QRect area = viewport()->rect();
    int firstAge = verticalScrollBar()->value();
    if (m_selection) {
        const int count = std::min(m_selection->second - m_selection->first + 1, kMostImageRows);
        area.setHeight(chart::WaterfallGeometry::kHeaderHeight +
                       count * chart::WaterfallGeometry::kRowHeight);
        firstAge = m_selection->first;
    }
    QImage image(area.size() * viewport()->devicePixelRatio(), QImage::Format_RGB32);
    image.setDevicePixelRatio(viewport()->devicePixelRatio());
    QPainter painter(&image);
    paintOn(painter, area, firstAge);
    return image;
}

void WaterfallView::rowAdded()
{
    if (m_rows != nullptr) {
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const int value = bar->value();
    updateScrollRange();
    if (value > 0) {
        // Scrolled back: the rows in view are now one further from the newest.
        bar->setValue(value + 1);
    }
    // The selected sweeps stay the same sweeps, as long as the ring holds them.
    if (m_selection) {
        const int oldest = m_history.rowCount() - 1;
        if (m_selection->first + 1 > oldest) {
            clearSelection();
        } else {
            m_selection = Span{m_selection->first + 1, std::min(m_selection->second + 1, oldest)};
        }
    }
    viewport()->update();
}

void WaterfallView::updateScrollRange()
{
    const chart::WaterfallGeometry geometry(viewport()->rect());
    const int visible = std::max(1, geometry.visibleRows());
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(visible);
    bar->setRange(0, std::max(0, rows().rowCount() - visible));
}

int WaterfallView::rowY(int age) const
{
    const chart::WaterfallGeometry geometry(viewport()->rect());
    return geometry.cells.top() +
           (age - verticalScrollBar()->value()) * chart::WaterfallGeometry::kRowHeight;
}

int WaterfallView::ageAt(int y) const
{
    const chart::WaterfallGeometry geometry(viewport()->rect());
    const int line = (y - geometry.cells.top()) / chart::WaterfallGeometry::kRowHeight;
    return std::clamp(verticalScrollBar()->value() + std::max(0, line), 0,
                      std::max(0, rows().rowCount() - 1));
}

void WaterfallView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || rows().rowCount() == 0) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_dragFrom = ageAt(event->position().toPoint().y());
}

void WaterfallView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragFrom) {
        return;
    }
    const int age = ageAt(event->position().toPoint().y());
    if (age == *m_dragFrom && !m_selection) {
        return;
    }
    m_selection = Span{std::min(age, *m_dragFrom), std::max(age, *m_dragFrom)};
    viewport()->update();
}

void WaterfallView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragFrom || event->button() != Qt::LeftButton) {
        return;
    }
    const int age = ageAt(event->position().toPoint().y());
    const bool dragged = age != *m_dragFrom;
    m_dragFrom.reset();
    if (!dragged) {
        // A click without a drag.
        clearSelection();
        return;
    }
    viewport()->update();
    Q_EMIT selectionChanged();
}

void WaterfallView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_selection) {
        clearSelection();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void WaterfallView::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(viewport());
    paintOn(painter, viewport()->rect(), verticalScrollBar()->value());
    paintAlarmTimes(painter);
    if (rows().rowCount() == 0 && !m_placeholder.isEmpty()) {
        // Between the times and the legend, so that it never runs into either.
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(chart::WaterfallGeometry(viewport()->rect()).cells,
                         Qt::AlignCenter | Qt::TextWordWrap, m_placeholder);
    }
    if (m_selection) {
        const chart::WaterfallGeometry geometry(viewport()->rect());
        const int top = std::max(rowY(m_selection->first), geometry.cells.top());
        const int bottom = rowY(m_selection->second + 1);
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlpha(kSelectionAlpha);
        painter.fillRect(QRect(geometry.area.left(), top, geometry.area.width(), bottom - top),
                         highlight);
    }
}

void WaterfallView::setAlarmTimes(const QSet<qint64> &utcMs)
{
    if (utcMs != m_alarmTimes) {
        m_alarmTimes = utcMs;
        viewport()->update();
    }
}

void WaterfallView::paintAlarmTimes(QPainter &painter) const
{
    if (m_rows != nullptr || m_alarmTimes.isEmpty()) {
        return;
    }
    const chart::WaterfallGeometry geometry(viewport()->rect());
    const int bottom = viewport()->rect().bottom();
    for (int age = verticalScrollBar()->value(); age < m_history.rowCount() && rowY(age) <= bottom;
         ++age) {
        const HistoryRow row = m_history.row(age);
        if (!row.runStart && m_alarmTimes.contains(row.utcMs)) {
            painter.fillRect(geometry.times.right() - alarmmarks::kMarkSize, rowY(age),
                             alarmmarks::kMarkSize, std::max(rowY(age + 1) - rowY(age), 1),
                             alarmmarks::colour());
        }
    }
}

void WaterfallView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void WaterfallView::paintOn(QPainter &painter, const QRect &area, int firstAge) const
{
    const QPalette &colours = palette();
    chart::WaterfallPainter waterfall(painter,
                                      {colours.color(QPalette::Base), colours.color(QPalette::Text),
                                       colours.color(QPalette::Text)});
    waterfall.paint(area, rows(), firstAge, m_clock);
}
