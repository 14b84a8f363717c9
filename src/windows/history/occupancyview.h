#pragma once

#include <QList>
#include <QWidget>

class ChannelStatistics;
struct Baseline;

// Occupancy per channel, as bars from 0 to 100 %; a baseline's occupancy as outlines, a channel
// plan as frames around its columns.
class OccupancyView : public QWidget
{
    Q_OBJECT

public:
    explicit OccupancyView(const ChannelStatistics &statistics, QWidget *parent = nullptr);

    // The figures shown; they must outlive the view or be replaced first.
    void setStatistics(const ChannelStatistics &statistics);
    // nullptr: no outlines.
    void setBaseline(const Baseline *baseline);
    // Channel indices with an alarm raised now: their bars in the alarm colour, marked on top.
    void setRaised(const QList<int> &indices);
    // Channel indices of a channel plan: their columns outlined in the plan colour.
    void setPlanned(const QList<int> &indices);
    [[nodiscard]] static QColor planColour();

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const ChannelStatistics *m_statistics = nullptr;
    const Baseline *m_baseline = nullptr;
    QList<int> m_raised;
    QList<int> m_planned;
};
