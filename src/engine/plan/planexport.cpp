#include "engine/plan/planexport.h"

#include "engine/plan/planreasons.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace plan {

namespace {

QString reasonsText(const ChannelVerdict &verdict, const PlanConstraints &constraints)
{
    QStringList texts;
    for (const PlanReason &reason : verdict.reasons) {
        texts.append(reasonText(reason, constraints));
    }
    return texts.join(QStringLiteral("; "));
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))) {
        return text;
    }
    QString quoted = text;
    return QLatin1Char('"') + quoted.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// As the CSV has it: a hundredth of a percent, a tenth of a dBm.
double rounded(double value, double steps)
{
    return std::round(value * steps) / steps;
}

QJsonArray channelArray(const std::vector<int> &indices)
{
    QJsonArray channels;
    for (const int index : indices) {
        channels.append(channelplan::channelNumber(index));
    }
    return channels;
}

} // namespace

bool writeCsv(QIODevice &device, const PlanReport &report, const PlanSurvey &survey)
{
    QString text = QStringLiteral("channel,mhz,verdict,reason,occupancy_pct,occupancy_low_pct,"
                                  "occupancy_high_pct,busy_hour,max_dbm,mean_dbm,"
                                  "strong_distance\n");
    for (const ChannelVerdict &verdict : report.channels) {
        const PlanChannel &channel = survey[static_cast<std::size_t>(verdict.index)];
        QStringList fields{QString::number(channelplan::channelNumber(verdict.index)),
                           number(channelplan::channelMhz(verdict.index), 4),
                           verdictName(verdict.verdict),
                           csvField(reasonsText(verdict, report.constraints))};
        if (channel.measured) {
            fields << number(channel.occupancyPct, 2) << number(channel.occupancyLowPct, 2)
                   << number(channel.occupancyHighPct, 2)
                   << (channel.busyHour ? QString::number(*channel.busyHour) : QString())
                   << QString::number(channel.maxDbm) << number(channel.meanDbm, 1);
        } else {
            fields << QString() << QString() << QString() << QString() << QString() << QString();
        }
        fields << (verdict.strongDistance ? QString::number(*verdict.strongDistance) : QString());
        text += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

bool writeJson(QIODevice &device, const PlanReport &report, const PlanSurvey &survey)
{
    const PlanResult &result = report.result;
    QJsonObject root;
    root.insert(QStringLiteral("requested"), result.requested);
    root.insert(QStringLiteral("feasible"), result.feasible);
    root.insert(QStringLiteral("plan"), channelArray(result.plan.channels));
    root.insert(QStringLiteral("spares"), channelArray(result.plan.spares));
    QJsonArray limits;
    for (const PlanLimit &limit : result.limits) {
        limits.append(limitText(limit, report.constraints, result.open));
    }
    root.insert(QStringLiteral("limits"), limits);
    QJsonArray fixedProducts;
    for (const FixedProduct &fixed : report.fixedProducts) {
        fixedProducts.append(fixedProductText(fixed));
    }
    root.insert(QStringLiteral("fixed_products"), fixedProducts);
    QJsonArray channels;
    for (const ChannelVerdict &verdict : report.channels) {
        const PlanChannel &channel = survey[static_cast<std::size_t>(verdict.index)];
        QJsonObject row;
        row.insert(QStringLiteral("channel"), channelplan::channelNumber(verdict.index));
        row.insert(QStringLiteral("mhz"), channelplan::channelMhz(verdict.index));
        row.insert(QStringLiteral("verdict"), verdictName(verdict.verdict));
        row.insert(QStringLiteral("reason"), reasonsText(verdict, report.constraints));
        if (channel.measured) {
            row.insert(QStringLiteral("occupancy_pct"), rounded(channel.occupancyPct, 100));
            row.insert(QStringLiteral("occupancy_low_pct"), rounded(channel.occupancyLowPct, 100));
            row.insert(QStringLiteral("occupancy_high_pct"),
                       rounded(channel.occupancyHighPct, 100));
            if (channel.busyHour) {
                row.insert(QStringLiteral("busy_hour"), *channel.busyHour);
            }
            row.insert(QStringLiteral("max_dbm"), channel.maxDbm);
            row.insert(QStringLiteral("mean_dbm"), rounded(channel.meanDbm, 10));
        }
        if (verdict.strongDistance) {
            row.insert(QStringLiteral("strong_distance"), *verdict.strongDistance);
        }
        channels.append(row);
    }
    root.insert(QStringLiteral("channels"), channels);
    const QByteArray bytes = QJsonDocument(root).toJson();
    return device.write(bytes) == bytes.size();
}

} // namespace plan
