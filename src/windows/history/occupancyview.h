#pragma once

#include <QList>
#include <QWidget>

class ChannelStatistics;
struct Baseline;

// Occupancy per channel, as bars from 0 to 100 % with their 95 % interval as whiskers; a
// baseline's occupancy as outlines, a channel plan as frames around its columns.
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

    // Where the bars stand, and the height of a percentage in it.
    [[nodiscard]] QRect plotArea() const;
    [[nodiscard]] static int percentY(const QRect &plot, double percent);
    // The x of the middle of a channel's bar.
    [[nodiscard]] static int barCentre(const QRect &plot, int index);

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
