#include "engine/plan/planconstraints.h"

#include <QRegularExpression>
#include <QStringList>

#include <limits>

namespace plan {

std::optional<ChannelMask> parseChannelList(const QString &text, QString *error)
{
    static const QRegularExpression kItem(
        QStringLiteral("^\\s*(\\d{1,3})(?:\\s*-\\s*(\\d{1,3}))?\\s*$"));
    ChannelMask channels = 0;
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QRegularExpressionMatch match = kItem.match(item);
        if (!match.hasMatch()) {
            *error =
                QStringLiteral("'%1' is not a channel or a range such as 7-12").arg(item.trimmed());
            return std::nullopt;
        }
        const int first = match.captured(1).toInt();
        const int last = match.capturedLength(2) > 0 ? match.captured(2).toInt() : first;
        if (first < channelplan::kFirstChannel || last > channelplan::kLastChannel ||
            last < first) {
            *error = QStringLiteral("'%1' is not within channels %2-%3, lowest first")
                         .arg(item.trimmed())
                         .arg(channelplan::kFirstChannel)
                         .arg(channelplan::kLastChannel);
            return std::nullopt;
        }
        for (int channel = first; channel <= last; ++channel) {
            channels |= bit(channelplan::channelIndex(channel));
        }
    }
    return channels;
}

QString channelListText(ChannelMask channels)
{
    QStringList items;
    int index = 0;
    while (index < channelplan::kChannelCount) {
        if ((channels & bit(index)) == 0) {
            ++index;
            continue;
        }
        int last = index;
        while (last + 1 < channelplan::kChannelCount && (channels & bit(last + 1)) != 0) {
            ++last;
        }
        const int first = channelplan::channelNumber(index);
        items.append(last == index ? QString::number(first)
                                   : QStringLiteral("%1-%2").arg(first).arg(
                                         channelplan::channelNumber(last)));
        index = last + 1;
    }
    return items.join(QLatin1Char(','));
}

std::optional<PlanProducts> productsFromName(const QString &name)
{
    if (name == QLatin1String("none")) {
        return PlanProducts::None;
    }
    if (name == QLatin1String("3")) {
        return PlanProducts::Third;
    }
    if (name == QLatin1String("5")) {
        return PlanProducts::Fifth;
    }
    return std::nullopt;
}

QString productsText(PlanProducts products)
{
    switch (products) {
    case PlanProducts::None:
        return QStringLiteral("no products");
    case PlanProducts::Third:
        return QStringLiteral("third-order products");
    case PlanProducts::Fifth:
        return QStringLiteral("third- and fifth-order products");
    }
    return {};
}

std::optional<StrongCarrierRule> parseStrongRule(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        return std::nullopt;
    }
    bool levelRead = false;
    bool distanceRead = false;
    const int dbm = text.left(colon).trimmed().toInt(&levelRead);
    const int distance = text.mid(colon + 1).trimmed().toInt(&distanceRead);
    if (!levelRead || !distanceRead || dbm < std::numeric_limits<qint16>::min() ||
        dbm > std::numeric_limits<qint16>::max() || distance < 0 ||
        distance > PlanConstraints::kLargestSpacing) {
        return std::nullopt;
    }
    return StrongCarrierRule{static_cast<qint16>(dbm), distance};
}

} // namespace plan
