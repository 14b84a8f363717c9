#include "windows/history/statisticsmodel.h"
#include "core/channelplan.h"

#include "engine/history/historystatistics.h"
#include "engine/record/recordtime.h"

#include <QDateTime>

namespace {

QVariant displayed(const ChannelSummary &summary, int column)
{
    if (column == StatisticsModel::Channel) {
        return channelplan::channelNumber(summary.index);
    }
    if (column == StatisticsModel::Mhz) {
        return record::channelMhz(summary.index);
    }
    // A channel not measured yet has no figures, rather than zeros that look like readings.
    if (summary.samples == 0) {
        return {};
    }
    switch (column) {
    case StatisticsModel::Min:
        return summary.min;
    case StatisticsModel::Mean:
        return QString::number(summary.mean, 'f', 1);
    case StatisticsModel::Max:
        return summary.max;
    case StatisticsModel::Occupancy:
        return QString::number(summary.occupancyPct, 'f', 1);
    case StatisticsModel::Bursts:
        return summary.bursts;
    case StatisticsModel::LongestBurst:
        return QString::number(static_cast<double>(summary.longestBurstMs) / 1000.0, 'f', 1);
    case StatisticsModel::LastAbove:
        if (!summary.lastAboveUtcMs) {
            return {};
        }
        return QDateTime::fromMSecsSinceEpoch(*summary.lastAboveUtcMs)
            .toString(QStringLiteral("HH:mm:ss"));
    default:
        return {};
    }
}

QVariant sortKey(const ChannelSummary &summary, int column)
{
    switch (column) {
    case StatisticsModel::Channel:
    case StatisticsModel::Mhz:
        return summary.index;
    case StatisticsModel::Min:
        return summary.min;
    case StatisticsModel::Mean:
        return summary.mean;
    case StatisticsModel::Max:
        return summary.max;
    case StatisticsModel::Occupancy:
        return summary.occupancyPct;
    case StatisticsModel::Bursts:
        return summary.bursts;
    case StatisticsModel::LongestBurst:
        return summary.longestBurstMs;
    case StatisticsModel::LastAbove:
        return summary.lastAboveUtcMs.value_or(0);
    default:
        return {};
    }
}

} // namespace

StatisticsModel::StatisticsModel(const HistoryStatistics &statistics, QObject *parent)
    : QAbstractTableModel(parent)
    , m_statistics(statistics)
{}

int StatisticsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MonitorState::kChannelCount;
}

int StatisticsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count;
}

QVariant StatisticsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const ChannelSummary summary = m_statistics.statistics().channel(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return displayed(summary, index.column());
    case Qt::UserRole:
        return sortKey(summary, index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant StatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Channel:
        return tr("Channel");
    case Mhz:
        return tr("MHz");
    case Min:
        return tr("Min (dBm)");
    case Mean:
        return tr("Mean (dBm)");
    case Max:
        return tr("Max (dBm)");
    case Occupancy:
        return tr("Occupancy (%)");
    case Bursts:
        return tr("Bursts");
    case LongestBurst:
        return tr("Longest burst (s)");
    case LastAbove:
        return tr("Last above threshold");
    default:
        return {};
    }
}

void StatisticsModel::refresh()
{
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}
