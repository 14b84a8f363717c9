#include "programs/scan/scanreport.h"
#include "core/channelplan.h"

#include "engine/plan/planreasons.h"
#include "engine/protocol/reading.h"
#include "engine/record/baseline.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/receiveridentity.h"
#include "engine/record/recordtime.h"
#include "engine/record/spaceguard.h"
#include "engine/record/sweeprecord.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>

namespace scanreport {

namespace {
constexpr int kQuietestShown = 5;
constexpr double kMsPerSecond = 1000.0;
constexpr qint64 kSecondsPerMinute = 60;
constexpr qint64 kSecondsPerHour = 3600;

QString clock(std::chrono::milliseconds elapsed)
{
    const qint64 seconds = elapsed.count() / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / kSecondsPerHour, 2, 10, QLatin1Char('0'))
        .arg(seconds / kSecondsPerMinute % kSecondsPerMinute, 2, 10, QLatin1Char('0'))
        .arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString strongest(const Progress &progress)
{
    if (progress.singleChannel && progress.lastReading != nullptr) {
        return QStringLiteral("ch %1 %2 dBm")
            .arg(channelplan::channelNumber(progress.lastReading->index))
            .arg(progress.lastReading->dbm);
    }
    if (progress.lastSweep == nullptr) {
        return {};
    }
    const auto &dbm = progress.lastSweep->dbm;
    const auto top = std::max_element(dbm.begin(), dbm.end());
    return QStringLiteral("strongest ch %1 %2 dBm")
        .arg(channelplan::channelNumber(static_cast<int>(top - dbm.begin())))
        .arg(*top);
}

QString column(const QString &text, int width)
{
    return text.rightJustified(width);
}
} // namespace

QString modeName(std::optional<RadioMode> mode)
{
    if (!mode) {
        return QStringLiteral("connecting");
    }
    switch (*mode) {
    case RadioMode::Fsk:
        return QStringLiteral("FSK");
    case RadioMode::LoRa:
        return QStringLiteral("LoRa");
    case RadioMode::AirMonitor:
        return QStringLiteral("Air Monitor");
    }
    return {};
}

QString progressLine(const Progress &progress)
{
    const double seconds = static_cast<double>(progress.elapsed.count()) / kMsPerSecond;
    const double rate = seconds > 0.0 ? static_cast<double>(progress.records) / seconds : 0.0;
    const QString unit =
        progress.singleChannel ? QStringLiteral("readings") : QStringLiteral("sweeps");
    QStringList parts = {clock(progress.elapsed),
                         QStringLiteral("%1 %2").arg(progress.records).arg(unit),
                         QStringLiteral("%1/s").arg(rate, 0, 'f', 2), modeName(progress.mode)};
    const QString top = strongest(progress);
    if (!top.isEmpty()) {
        parts.append(top);
    }
    if (progress.droppedSweeps) {
        parts.append(QStringLiteral("MQTT %1 dropped").arg(*progress.droppedSweeps));
    }
    return parts.join(QStringLiteral("  "));
}

namespace {

// Rows of cells in columns as wide as their widest cell, two spaces apart.
QString aligned(const QList<QStringList> &rows)
{
    QList<int> widths(rows.constFirst().size(), 0);
    for (const QStringList &row : rows) {
        for (int c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], static_cast<int>(row[c].size()));
        }
    }
    QString table;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (int c = 0; c < row.size(); ++c) {
            cells.append(column(row[c], widths[c]));
        }
        table += cells.join(QStringLiteral("  ")) + QLatin1Char('\n');
    }
    return table;
}

// The same with the last column, a text, left as it is.
QString alignedWithText(QList<QStringList> rows)
{
    QStringList texts;
    for (QStringList &row : rows) {
        texts.append(row.takeLast());
    }
    QStringList lines = aligned(rows).split(QLatin1Char('\n'));
    for (int i = 0; i < texts.size(); ++i) {
        lines[i] += QStringLiteral("  ") + texts[i];
    }
    return lines.join(QLatin1Char('\n'));
}

QString channelNumbers(const std::vector<int> &indices)
{
    QStringList numbers;
    for (const int index : indices) {
        numbers.append(QString::number(channelplan::channelNumber(index)));
    }
    return numbers.isEmpty() ? QStringLiteral("none") : numbers.join(QStringLiteral(", "));
}

} // namespace

QString receiverLine(const ReceiverIdentity &receiver)
{
    QStringList words = {QStringLiteral("receiver %1:").arg(receiver.name)};
    for (const QString &known : {receiver.model, receiver.firmware}) {
        if (!known.isEmpty()) {
            words.append(known);
        }
    }
    if (!receiver.port.isEmpty()) {
        words.append(QStringLiteral("on ") + receiver.port);
    }
    // Nothing known beyond the name: no colon left hanging.
    if (words.size() == 1) {
        words.first().chop(1);
    }
    return words.join(QLatin1Char(' ')) + QLatin1Char('\n');
}

QString statisticsTable(const ChannelStatistics &statistics)
{
    const bool noiseRelative = statistics.occupancyThreshold().noiseRelative;
    QStringList heads = {QStringLiteral("ch"),        QStringLiteral("MHz"),
                         QStringLiteral("samples"),   QStringLiteral("min"),
                         QStringLiteral("mean"),      QStringLiteral("max"),
                         QStringLiteral("occ %"),     QStringLiteral("bursts"),
                         QStringLiteral("longest s"), QStringLiteral("last above (UTC)"),
                         QStringLiteral("95 % low"),  QStringLiteral("95 % high"),
                         QStringLiteral("eff. n"),    QStringLiteral("busy h"),
                         QStringLiteral("busy %")};
    if (noiseRelative) {
        heads.append(QStringLiteral("floor"));
    }
    QList<QStringList> rows = {heads};
    for (int i = 0; i < MonitorState::kChannelCount; ++i) {
        const ChannelSummary s = statistics.channel(i);
        const bool measured = s.samples > 0;
        const bool counted = s.hourSamples > 0;
        const QString none = QStringLiteral("-");
        const auto figure = [](double value) { return QString::number(value, 'f', 1); };
        QStringList row = {
            QString::number(channelplan::channelNumber(i)),
            record::channelMhz(i),
            QString::number(s.samples),
            measured ? QString::number(s.min) : none,
            measured ? figure(s.mean) : none,
            measured ? QString::number(s.max) : none,
            figure(s.occupancyPct),
            QString::number(s.bursts),
            QString::number(static_cast<double>(s.longestBurstMs) / kMsPerSecond, 'f', 3),
            s.lastAboveUtcMs ? record::recordTime(*s.lastAboveUtcMs) : none,
            counted ? figure(s.occupancyLowPct) : none,
            counted ? figure(s.occupancyHighPct) : none,
            counted ? figure(s.effectiveSamples) : none,
            s.busyHour ? QString::number(*s.busyHour) : none,
            s.busyHour ? figure(s.busyHourOccupancyPct) : none};
        if (noiseRelative) {
            row.append(s.noiseFloorDbm ? figure(*s.noiseFloorDbm) : none);
        }
        rows.append(row);
    }
    QString table = aligned(rows);
    QStringList quiet;
    for (const int index : statistics.quietest(kQuietestShown)) {
        const ChannelSummary s = statistics.channel(index);
        quiet.append(QStringLiteral("%1 (%2 %, %3 dBm)")
                         .arg(channelplan::channelNumber(index))
                         .arg(s.occupancyPct, 0, 'f', 1)
                         .arg(s.mean, 0, 'f', 1));
    }
    const OccupancyThreshold threshold = statistics.occupancyThreshold();
    table += QStringLiteral("Quietest channels (threshold %1): %2\n")
                 .arg(threshold.noiseRelative
                          ? QStringLiteral("%1 dB above each channel's noise floor, the floor "
                                           "column")
                                .arg(threshold.db)
                          : QStringLiteral("%1 dBm").arg(threshold.dbm),
                      quiet.isEmpty() ? QStringLiteral("none measured")
                                      : quiet.join(QStringLiteral(", ")));
    if (!statistics.hours().isAlways()) {
        table +=
            QStringLiteral("Readings counted: %1, local time\n").arg(statistics.hours().text());
    }
    return table;
}

QString planTable(const PlanReport &report, const PlanSurvey &survey, const QString &hours)
{
    const PlanConstraints &constraints = report.constraints;
    const PlanResult &result = report.result;
    QString text =
        QStringLiteral("Plan (%1, guard %2, spacing %3%4; hours %5): ")
            .arg(plan::productsText(constraints.products))
            .arg(constraints.guard)
            .arg(constraints.spacing)
            .arg(constraints.fixed != 0
                     ? QStringLiteral(", fixed %1").arg(plan::channelListText(constraints.fixed))
                     : QString(),
                 hours.isEmpty() ? QStringLiteral("all") : hours);
    if (result.feasible) {
        text += QStringLiteral("the best %1 of the %2 open channels by measured occupancy: %3\n")
                    .arg(result.requested)
                    .arg(result.open)
                    .arg(channelNumbers(result.plan.channels));
    } else {
        text += QStringLiteral("%1 channels cannot meet the constraints; at most %2 can, the best "
                               "of them: %3\n")
                    .arg(result.requested)
                    .arg(result.plan.channels.size())
                    .arg(channelNumbers(result.plan.channels));
        for (const PlanLimit &limit : result.limits) {
            text += QStringLiteral("  binding: %1\n")
                        .arg(plan::limitText(limit, constraints, result.open));
        }
    }
    if (constraints.spares > 0) {
        text += QStringLiteral("  spares: %1\n").arg(channelNumbers(result.plan.spares));
    }
    for (const FixedProduct &fixed : report.fixedProducts) {
        text += QStringLiteral("  note: %1\n").arg(plan::fixedProductText(fixed));
    }
    const QString none = QStringLiteral("-");
    QList<QStringList> rows = {
        {QStringLiteral("ch"), QStringLiteral("MHz"), QStringLiteral("verdict"),
         QStringLiteral("occ %"), QStringLiteral("95 % interval"), QStringLiteral("busy hour"),
         QStringLiteral("max"), QStringLiteral("to strong"), QStringLiteral("reason")}};
    for (const ChannelVerdict &verdict : report.channels) {
        const PlanChannel &channel = survey[static_cast<std::size_t>(verdict.index)];
        QStringList reasons;
        for (const PlanReason &reason : verdict.reasons) {
            reasons.append(plan::reasonText(reason, constraints));
        }
        rows.append({QString::number(channelplan::channelNumber(verdict.index)),
                     record::channelMhz(verdict.index), plan::verdictName(verdict.verdict),
                     channel.measured ? QString::number(channel.occupancyPct, 'f', 1) : none,
                     channel.measured ? QStringLiteral("%1-%2")
                                            .arg(channel.occupancyLowPct, 0, 'f', 1)
                                            .arg(channel.occupancyHighPct, 0, 'f', 1)
                                      : none,
                     channel.busyHour
                         ? QStringLiteral("%1:00").arg(*channel.busyHour, 2, 10, QLatin1Char('0'))
                         : none,
                     channel.measured ? QString::number(channel.maxDbm) : none,
                     verdict.strongDistance ? QString::number(*verdict.strongDistance) : none,
                     reasons.join(QStringLiteral("; "))});
    }
    return text + alignedWithText(rows);
}

QString baselineChanges(const ChannelStatistics &statistics, const Baseline &baseline, int count)
{
    struct Change
    {
        int index = 0;
        double before = 0.0;
        double now = 0.0;
    };
    std::vector<Change> changes;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        const auto &before = baseline.channels[static_cast<std::size_t>(index)];
        const ChannelSummary now = statistics.channel(index);
        if (before && now.samples > 0) {
            changes.push_back({index, before->occupancyPct, now.occupancyPct});
        }
    }
    std::stable_sort(changes.begin(), changes.end(), [](const Change &a, const Change &b) {
        return std::abs(a.now - a.before) > std::abs(b.now - b.before);
    });
    QStringList shown;
    for (const Change &change : changes) {
        if (static_cast<int>(shown.size()) >= count) {
            break;
        }
        shown.append(QStringLiteral("%1 %2 % (%3 → %4)")
                         .arg(channelplan::channelNumber(change.index))
                         .arg(change.now - change.before, 0, 'f', 1)
                         .arg(change.before, 0, 'f', 1)
                         .arg(change.now, 0, 'f', 1));
    }
    return QStringLiteral("Occupancy changed most against the baseline: %1\n")
        .arg(shown.isEmpty() ? QStringLiteral("no channel measured in both")
                             : shown.join(QStringLiteral(", ")));
}

QString fileNotice(const FileNotice &notice)
{
    switch (notice.kind) {
    case FileNotice::Kind::Paused:
        return QStringLiteral("%1: only %2 free, below --min-free %3; rows are dropped until "
                              "there is room")
            .arg(notice.file, sizeText(notice.freeBytes), sizeText(notice.floorBytes));
    case FileNotice::Kind::Resumed:
        return QStringLiteral("%1: %2 free again, writing resumed; rows dropped meanwhile: %3")
            .arg(notice.file, sizeText(notice.freeBytes))
            .arg(notice.droppedRows);
    case FileNotice::Kind::NotDeleted:
        break;
    }
    return QStringLiteral("%1: cannot delete this old rotated file (--keep): %2")
        .arg(notice.file, notice.reason);
}

QString sizeText(qint64 bytes)
{
    constexpr qint64 kKibi = 1024;
    static const std::array<const char *, 3> kUnits{"KiB", "MiB", "GiB"};
    if (bytes < kKibi) {
        return QStringLiteral("%1 bytes").arg(bytes);
    }
    qint64 unit = kKibi;
    std::size_t index = 0;
    while (index + 1 < kUnits.size() && bytes >= unit * kKibi) {
        unit *= kKibi;
        ++index;
    }
    constexpr qint64 kTenths = 10;
    const qint64 tenths = bytes * kTenths / unit;
    const QString number =
        tenths % kTenths == 0 ? QString::number(tenths / kTenths)
                              : QStringLiteral("%1.%2").arg(tenths / kTenths).arg(tenths % kTenths);
    return number + QLatin1Char(' ') + QLatin1String(kUnits[index]);
}

} // namespace scanreport
