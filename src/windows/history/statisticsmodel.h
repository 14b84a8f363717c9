#pragma once

#include <QAbstractTableModel>

class HistoryStatistics;

// The per-channel statistics as a table, one row per channel. Qt::UserRole holds each cell's
// value as a number, for sorting.
class StatisticsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Channel, Mhz, Min, Mean, Max, Occupancy, Bursts, LongestBurst, LastAbove, Count };

    explicit StatisticsModel(const HistoryStatistics &statistics, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    // Every cell may have changed.
    void refresh();

private:
    const HistoryStatistics &m_statistics;
};
