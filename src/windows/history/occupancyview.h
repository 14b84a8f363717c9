#pragma once

#include <QWidget>

class HistoryStatistics;

// Occupancy per channel over the held history, as bars from 0 to 100 %.
class OccupancyView : public QWidget
{
    Q_OBJECT

public:
    explicit OccupancyView(const HistoryStatistics &statistics, QWidget *parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const HistoryStatistics &m_statistics;
};
