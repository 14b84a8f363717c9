#pragma once

#include <QAbstractTableModel>

struct ChannelSummary;

class ChannelStatistics;
struct Baseline;

// The per-channel statistics as a table, one row per channel, occupancy with its 95 % interval
// and busy hour among them; with a baseline, its occupancy
// and mean and the changes since follow. Qt::UserRole holds each cell's value as a number, for
// sorting.
class StatisticsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Channel,
        Mhz,
        Min,
        Mean,
        Max,
        Occupancy,
        OccupancyInterval,
        BusyHour,
        Bursts,
        LongestBurst,
        LastAbove,
        BaselineOccupancy,
        OccupancyChange,
        BaselineMean,
        MeanChange,
        Count
    };

    explicit StatisticsModel(const ChannelStatistics &statistics, QObject *parent = nullptr);

    // The figures shown; they must outlive the model or be replaced first.
    void setStatistics(const ChannelStatistics &statistics);
    // nullptr: no baseline columns.
    void setBaseline(const Baseline *baseline);
    void setClock(Qt::TimeSpec clock);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    // Every cell may have changed.
    void refresh();

    // The longest text a cell of the column can show, for sizing the column before the
    // figures arrive.
    [[nodiscard]] static QString widestText(int column);

private:
    [[nodiscard]] QVariant compared(const ChannelSummary &summary, int column) const;

    const ChannelStatistics *m_statistics = nullptr;
    const Baseline *m_baseline = nullptr;
    Qt::TimeSpec m_clock = Qt::LocalTime;
};
