#include "windows/history/statisticsmodel.h"
#include "core/channelplan.h"

#include "engine/record/baseline.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/recordtime.h"
#include "painters/colormap.h"

#include <QDateTime>

namespace {

// Counts and lengths far beyond any survey's, for the width of their columns.
constexpr qint64 kWidestCount = 99'999;
constexpr qint64 kWidestBurstMs = 99'999'900;
constexpr double kWidestChange = -150.0;
constexpr int kLastHour = 23;
constexpr double kFullPct = 100.0;

QString comparedText(double value, bool change)
{
    return (change && value > 0 ? QStringLiteral("+") : QString()) + QString::number(value, 'f', 1);
}

QVariant displayed(const ChannelSummary &summary, int column, Qt::TimeSpec clock)
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
    // Outside the hours that count, nothing was counted either.
    const bool counted = summary.hourSamples > 0;
    switch (column) {
    case StatisticsModel::Min:
        return summary.min;
    case StatisticsModel::Mean:
        return QString::number(summary.mean, 'f', 1);
    case StatisticsModel::Max:
        return summary.max;
    case StatisticsModel::Occupancy:
        return counted ? QString::number(summary.occupancyPct, 'f', 1) : QVariant();
    case StatisticsModel::OccupancyInterval:
        if (!counted) {
            return {};
        }
        return QStringLiteral("%1–%2")
            .arg(summary.occupancyLowPct, 0, 'f', 1)
            .arg(summary.occupancyHighPct, 0, 'f', 1);
    case StatisticsModel::BusyHour:
        if (!summary.busyHour) {
            return {};
        }
        return QStringLiteral("%1:00 (%2)")
            .arg(*summary.busyHour, 2, 10, QLatin1Char('0'))
            .arg(summary.busyHourOccupancyPct, 0, 'f', 1);
    case StatisticsModel::Bursts:
        return summary.bursts;
    case StatisticsModel::LongestBurst:
        return QString::number(static_cast<double>(summary.longestBurstMs) / 1000.0, 'f', 1);
    case StatisticsModel::LastAbove:
        if (!summary.lastAboveUtcMs) {
            return {};
        }
        return QDateTime::fromMSecsSinceEpoch(*summary.lastAboveUtcMs, clock)
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
    case StatisticsModel::OccupancyInterval:
        return summary.occupancyLowPct;
    case StatisticsModel::BusyHour:
        return summary.busyHourOccupancyPct;
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

StatisticsModel::StatisticsModel(const ChannelStatistics &statistics, QObject *parent)
    : QAbstractTableModel(parent)
    , m_statistics(&statistics)
{}

void StatisticsModel::setStatistics(const ChannelStatistics &statistics)
{
    m_statistics = &statistics;
    refresh();
}

void StatisticsModel::setBaseline(const Baseline *baseline)
{
    beginResetModel();
    m_baseline = baseline;
    endResetModel();
}

void StatisticsModel::setClock(Qt::TimeSpec clock)
{
    m_clock = clock;
    refresh();
}

QVariant StatisticsModel::compared(const ChannelSummary &summary, int column) const
{
    const auto &before = m_baseline->channels[static_cast<std::size_t>(summary.index)];
    if (!before || (summary.samples == 0 && (column == OccupancyChange || column == MeanChange))) {
        return {};
    }
    switch (column) {
    case BaselineOccupancy:
        return before->occupancyPct;
    case OccupancyChange:
        return summary.occupancyPct - before->occupancyPct;
    case BaselineMean:
        return before->mean;
    case MeanChange:
        return summary.mean - before->mean;
    default:
        return {};
    }
}

int StatisticsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : MonitorState::kChannelCount;
}

int StatisticsModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid()) {
        return 0;
    }
    return m_baseline != nullptr ? Count : BaselineOccupancy;
}

QVariant StatisticsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid()) {
        return {};
    }
    const ChannelSummary summary = m_statistics->channel(index.row());
    if (index.column() >= BaselineOccupancy && role != Qt::TextAlignmentRole) {
        const QVariant value =
            m_baseline != nullptr ? compared(summary, index.column()) : QVariant();
        if (role == Qt::DisplayRole && value.isValid()) {
            return comparedText(value.toDouble(),
                                index.column() == OccupancyChange || index.column() == MeanChange);
        }
        return role == Qt::UserRole ? value : QVariant();
    }
    switch (role) {
    case Qt::DisplayRole:
        return displayed(summary, index.column(), m_clock);
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
    case OccupancyInterval:
        return tr("95 % interval (%)");
    case BusyHour:
        return tr("Busy hour (%)");
    case Bursts:
        return tr("Bursts");
    case LongestBurst:
        return tr("Longest burst (s)");
    case LastAbove:
        return tr("Last above threshold");
    case BaselineOccupancy:
        return tr("Baseline occupancy (%)");
    case OccupancyChange:
        return tr("Occupancy change");
    case BaselineMean:
        return tr("Baseline mean (dBm)");
    case MeanChange:
        return tr("Mean change (dB)");
    default:
        return {};
    }
}

QString StatisticsModel::widestText(int column)
{
    if (column >= BaselineOccupancy) {
        const bool change = column == OccupancyChange || column == MeanChange;
        return comparedText(
            change ? kWidestChange : static_cast<double>(chart::colormap::kLowestDbm), change);
    }
    ChannelSummary widest;
    widest.index = MonitorState::kChannelCount - 1;
    widest.samples = 1;
    widest.min = widest.max = static_cast<qint16>(chart::colormap::kLowestDbm);
    widest.mean = chart::colormap::kLowestDbm;
    widest.hourSamples = 1;
    widest.occupancyPct = kFullPct;
    widest.occupancyLowPct = kFullPct;
    widest.occupancyHighPct = kFullPct;
    widest.busyHour = kLastHour;
    widest.busyHourOccupancyPct = kFullPct;
    widest.bursts = kWidestCount;
    widest.longestBurstMs = kWidestBurstMs;
    widest.lastAboveUtcMs = 0;
    return displayed(widest, column, Qt::UTC).toString();
}

void StatisticsModel::refresh()
{
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}
