#pragma once

#include "engine/history/hourgrid.h"

#include <QWidget>

#include <optional>
#include <utility>

class ChannelStatistics;
class QComboBox;

// Occupancy by hour of the local day, per channel, as a heat map under a choice of days (all,
// weekdays, weekends), of the figures the window shows: the live history or a recording, over
// the selected span and the hours that count. Hovering a cell tells its figures.
class HourMapView : public QWidget
{
    Q_OBJECT

public:
    explicit HourMapView(const ChannelStatistics &statistics, QWidget *parent = nullptr);

    // The figures shown; they must outlive the view or be replaced first.
    void setStatistics(const ChannelStatistics &statistics);
    [[nodiscard]] QComboBox *days() const { return m_days; }
    // The channel index and hour of the cell at a point of the map.
    [[nodiscard]] std::optional<std::pair<int, int>> cellAt(const QPoint &point) const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    [[nodiscard]] HourGrid grid() const;
    [[nodiscard]] QRect mapArea() const;

    const ChannelStatistics *m_statistics = nullptr;
    QComboBox *m_days = nullptr;
};
