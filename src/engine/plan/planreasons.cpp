#include "engine/plan/planreasons.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kCount = channelplan::kChannelCount;

const PlanChannel &channelAt(const PlanSurvey &survey, int index)
{
    return survey[static_cast<std::size_t>(index)];
}

PlanReason reasonOf(PlanReason::Kind kind, int other = -1)
{
    PlanReason reason;
    reason.kind = kind;
    reason.other = other;
    return reason;
}

// The nearest channel within `distance` of index whose level reached dbm; nothing when none.
std::optional<int> nearestStrong(const PlanSurvey &survey, int index, qint16 dbm, int distance)
{
    for (int away = 0; away <= distance; ++away) {
        for (const int other : {index - away, index + away}) {
            if (other >= 0 && other < kCount && channelAt(survey, other).measured &&
                channelAt(survey, other).maxDbm >= dbm) {
                return other;
            }
        }
    }
    return std::nullopt;
}

// The nearest member within `distance` of index, itself excluded; nothing when none.
std::optional<int> nearestMember(int index, ChannelMask members, int distance)
{
    for (int away = 1; away <= distance; ++away) {
        for (const int other : {index - away, index + away}) {
            if (other >= 0 && other < kCount && (members & plan::bit(other)) != 0) {
                return other;
            }
        }
    }
    return std::nullopt;
}

// The first product that involves channel `index` with the members, landing on it or, with it
// among the terms, on or near a member; nothing when there is none.
std::optional<PlanReason> productReason(int index, ChannelMask members,
                                        const PlanConstraints &constraints)
{
    std::optional<PlanReason> landing;
    std::optional<PlanReason> making;
    const ChannelMask all = members | plan::bit(index);
    plan::forEachProduct(constraints.products, all, [&](const PlanProduct &product) {
        if (landing) {
            return;
        }
        for (int hit = product.lands - constraints.guard; hit <= product.lands + constraints.guard;
             ++hit) {
            if (hit < 0 || hit >= kCount || (all & plan::bit(hit)) == 0) {
                continue;
            }
            PlanReason reason = reasonOf(PlanReason::Kind::MakesProduct, hit);
            reason.self = index;
            reason.product = product;
            if (!product.hasTerm(index) && hit == index) {
                reason.kind = PlanReason::Kind::HitByProduct;
                landing = reason;
                return;
            }
            if (product.hasTerm(index) && !making) {
                making = reason;
            }
        }
    });
    return landing ? landing : making;
}

std::vector<PlanReason> reasonsFor(int index, const PlanSurvey &survey,
                                   const PlanConstraints &constraints, ChannelMask members,
                                   double worstPct)
{
    std::vector<PlanReason> reasons;
    const PlanChannel &channel = channelAt(survey, index);
    if ((constraints.allowed & plan::bit(index)) == 0) {
        reasons.push_back(reasonOf(PlanReason::Kind::NotAllowed));
    }
    if ((constraints.avoided & plan::bit(index)) != 0) {
        reasons.push_back(reasonOf(PlanReason::Kind::Avoided));
    }
    if (!channel.measured) {
        reasons.push_back(reasonOf(PlanReason::Kind::NotMeasured));
    }
    for (const StrongCarrierRule &rule : constraints.strong) {
        if (const auto strong = nearestStrong(survey, index, rule.dbm, rule.distance)) {
            PlanReason reason = reasonOf(PlanReason::Kind::StrongCarrier, *strong);
            reason.distance = std::abs(*strong - index);
            reason.dbm = channelAt(survey, *strong).maxDbm;
            reasons.push_back(reason);
            break;
        }
    }
    if (const auto close = nearestMember(index, members, constraints.spacing - 1)) {
        PlanReason reason = reasonOf(PlanReason::Kind::TooClose, *close);
        reason.distance = std::abs(*close - index);
        reasons.push_back(reason);
    }
    if (const auto product = productReason(index, members, constraints)) {
        reasons.push_back(*product);
    }
    if (reasons.empty()) {
        PlanReason reason =
            reasonOf(channel.occupancyHighPct > worstPct ? PlanReason::Kind::Busier
                                                         : PlanReason::Kind::NotChosen);
        reason.boundPct = channel.occupancyHighPct;
        reason.worstPct = worstPct;
        reasons.push_back(reason);
    }
    return reasons;
}

} // namespace

namespace plan {

PlanReport explain(const PlanSurvey &survey, const PlanConstraints &constraints,
                   const PlanResult &result)
{
    PlanReport report{constraints, result, {}, {}};
    ChannelMask planChannels = 0;
    double worstPct = 0.0;
    for (const int index : result.plan.channels) {
        planChannels |= bit(index);
        worstPct = std::max(worstPct, channelAt(survey, index).occupancyHighPct);
    }
    ChannelMask spares = 0;
    for (const int index : result.plan.spares) {
        spares |= bit(index);
    }
    const ChannelMask members = planChannels | constraints.fixed;
    std::optional<qint16> lowestStrong;
    for (const StrongCarrierRule &rule : constraints.strong) {
        lowestStrong = std::min(lowestStrong.value_or(rule.dbm), rule.dbm);
    }
    for (int index = 0; index < kCount; ++index) {
        ChannelVerdict verdict;
        verdict.index = index;
        if (lowestStrong) {
            if (const auto strong = nearestStrong(survey, index, *lowestStrong, kCount)) {
                verdict.strongDistance = std::abs(*strong - index);
            }
        }
        if ((planChannels & bit(index)) != 0) {
            verdict.verdict = PlanVerdict::Plan;
        } else if ((spares & bit(index)) != 0) {
            verdict.verdict = PlanVerdict::Spare;
        } else if ((constraints.fixed & bit(index)) != 0) {
            verdict.verdict = PlanVerdict::Fixed;
        } else {
            verdict.reasons = reasonsFor(index, survey, constraints, members, worstPct);
        }
        report.channels.push_back(std::move(verdict));
    }
    forEachProduct(constraints.products, constraints.fixed, [&](const PlanProduct &product) {
        for (int hit = product.lands - constraints.guard; hit <= product.lands + constraints.guard;
             ++hit) {
            if (hit >= 0 && hit < kCount && (constraints.fixed & bit(hit)) != 0) {
                report.fixedProducts.push_back({product, hit});
                return;
            }
        }
    });
    return report;
}

QString verdictName(PlanVerdict verdict)
{
    switch (verdict) {
    case PlanVerdict::Plan:
        return QStringLiteral("plan");
    case PlanVerdict::Spare:
        return QStringLiteral("spare");
    case PlanVerdict::Fixed:
        return QStringLiteral("fixed");
    case PlanVerdict::Unused:
        return QStringLiteral("not taken");
    }
    return {};
}

namespace {

// "12 and 17", "12, 17 and 30": the product's terms but `left`.
QString termList(const PlanProduct &product, int left = -1)
{
    QStringList numbers;
    for (int term = 0; term < product.termCount(); ++term) {
        const int index = product.terms[static_cast<std::size_t>(term)];
        if (index != left) {
            numbers.append(QString::number(channelplan::channelNumber(index)));
        }
    }
    if (numbers.size() == 1) {
        return numbers.constFirst();
    }
    const QString last = numbers.takeLast();
    return numbers.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString percent(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

QString reasonText(const PlanReason &reason, const PlanConstraints &constraints)
{
    const int other = channelplan::channelNumber(reason.other);
    switch (reason.kind) {
    case PlanReason::Kind::NotAllowed:
        return QStringLiteral("not among the allowed channels");
    case PlanReason::Kind::Avoided:
        return QStringLiteral("avoided");
    case PlanReason::Kind::NotMeasured:
        return QStringLiteral("no readings");
    case PlanReason::Kind::StrongCarrier:
        return reason.distance == 0
                   ? QStringLiteral("strong carrier: reached %1 dBm").arg(reason.dbm)
                   : QStringLiteral("near a strong carrier: channel %1 reached %2 dBm, %3 away")
                         .arg(other)
                         .arg(reason.dbm)
                         .arg(reason.distance);
    case PlanReason::Kind::TooClose:
        return QStringLiteral("too close to channel %1: %2 apart, spacing %3")
            .arg(other)
            .arg(reason.distance)
            .arg(constraints.spacing);
    case PlanReason::Kind::HitByProduct:
        return QStringLiteral("hit by a product of channels %1 (%2)")
            .arg(termList(reason.product), productText(reason.product));
    case PlanReason::Kind::MakesProduct:
        return QStringLiteral("with %1 %2 it makes a product (%3) %4 channel %5%6")
            .arg(reason.product.termCount() == 2 ? QStringLiteral("channel")
                                                 : QStringLiteral("channels"),
                 termList(reason.product, reason.self), productText(reason.product),
                 reason.product.lands == reason.other ? QStringLiteral("on")
                                                      : QStringLiteral("near"))
            .arg(other)
            .arg(reason.other == reason.self ? QStringLiteral(", itself") : QString());
    case PlanReason::Kind::Busier:
        return QStringLiteral("busier: occupancy up to %1 %, the plan's worst %2 %")
            .arg(percent(reason.boundPct), percent(reason.worstPct));
    case PlanReason::Kind::NotChosen:
        return QStringLiteral("meets the constraints, but the best set leaves it out");
    }
    return {};
}

QString limitText(const PlanLimit &limit, const PlanConstraints &constraints, int open)
{
    const QString without = QStringLiteral("without it, %1 would fit").arg(limit.without);
    switch (limit.kind) {
    case PlanLimit::Kind::Channels:
        return QStringLiteral("the allowed and avoided channels leave %1 open; %2")
            .arg(open)
            .arg(without);
    case PlanLimit::Kind::Fixed:
        return QStringLiteral("the fixed channels %1; %2")
            .arg(channelListText(constraints.fixed), without);
    case PlanLimit::Kind::Spacing:
        return QStringLiteral("a spacing of %1%2; %3")
            .arg(constraints.spacing)
            .arg(limit.alone ? QStringLiteral(" alone allows at most %1 of the %2 open channels")
                                   .arg(*limit.alone)
                                   .arg(open)
                             : QString(),
                 without);
    case PlanLimit::Kind::Products:
        return QStringLiteral("%1 (guard %2)%3; %4")
            .arg(productsText(constraints.products))
            .arg(constraints.guard)
            .arg(limit.alone ? QStringLiteral(" alone allow at most %1 of the %2 open channels")
                                   .arg(*limit.alone)
                                   .arg(open)
                             : QString(),
                 without);
    case PlanLimit::Kind::StrongCarriers:
        return QStringLiteral("the strong-carrier guard; %1").arg(without);
    case PlanLimit::Kind::Spares:
        return QStringLiteral("%1 spares; %2").arg(constraints.spares).arg(without);
    case PlanLimit::Kind::Together:
        return QStringLiteral("no one constraint: they bind together");
    }
    return {};
}

QString fixedProductText(const FixedProduct &fixed)
{
    return QStringLiteral("fixed channels %1 make a product %2 channel %3 (%4)")
        .arg(termList(fixed.product),
             fixed.product.lands == fixed.hits ? QStringLiteral("on") : QStringLiteral("near"))
        .arg(channelplan::channelNumber(fixed.hits))
        .arg(productText(fixed.product));
}

} // namespace plan
