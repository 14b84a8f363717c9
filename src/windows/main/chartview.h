#pragma once

#include "painters/chartpainter.h"
#include "painters/chartscale.h"

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <optional>

namespace chart {

// The readings, colours and window height as they are at the moment of painting.
using ChartContentSource = std::function<ChartContent()>;

// Picture1: the chart, painted afresh from its source on every paint event.
class ChartView : public QWidget
{
    Q_OBJECT

public:
    explicit ChartView(ChartContentSource source, QWidget *parent = nullptr);

    // The size in twips, kept exactly; the widget itself follows in whole pixels.
    void setSizeTwips(const QSizeF &size);
    [[nodiscard]] QSizeF sizeTwips() const { return m_sizeTwips; }
    // The column width and dB height for the current size.
    [[nodiscard]] ChartScale scale() const;

    // Paints the whole chart again at the next paint event, ending a blank.
    void refresh();
    // Shows only the background in this colour until the next refresh().
    void blankWith(const QColor &colour);
    // The whole chart painted afresh at the current size, whatever the screen shows.
    [[nodiscard]] QImage image() const;

    [[nodiscard]] QSize sizeHint() const override;

Q_SIGNALS:
    // Any mouse button, at this point of the chart in twips.
    void pressed(QPointF twipsPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    ChartContentSource m_source;
    QSizeF m_sizeTwips{kDesignChartWidth, kDesignChartHeight};
    std::optional<QColor> m_blank;
};

} // namespace chart
