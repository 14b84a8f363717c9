#include "report/plantexts.h"

#include "core/channelplan.h"

#include <QStringList>

#include <array>

namespace {

QString percent(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

QString PlanTexts::verdictName(PlanVerdict verdict)
{
    switch (verdict) {
    case PlanVerdict::Plan:
        return tr("plan");
    case PlanVerdict::Spare:
        return tr("spare");
    case PlanVerdict::Fixed:
        return tr("fixed");
    case PlanVerdict::Unused:
        return tr("not taken");
    }
    return {};
}

QString PlanTexts::reasonText(const PlanReason &reason, const PlanConstraints &constraints)
{
    const int other = channelplan::channelNumber(reason.other);
    switch (reason.kind) {
    case PlanReason::Kind::NotAllowed:
        return tr("not among the allowed channels");
    case PlanReason::Kind::Avoided:
        return tr("avoided");
    case PlanReason::Kind::NotMeasured:
        return tr("no readings");
    case PlanReason::Kind::StrongCarrier:
        return reason.distance == 0
                   ? tr("strong carrier: reached %1 dBm").arg(reason.dbm)
                   : tr("near a strong carrier: channel %1 reached %2 dBm, %3 away")
                         .arg(other)
                         .arg(reason.dbm)
                         .arg(reason.distance);
    case PlanReason::Kind::TooClose:
        return tr("too close to channel %1: %2 apart, spacing %3")
            .arg(other)
            .arg(reason.distance)
            .arg(constraints.spacing);
    case PlanReason::Kind::HitByProduct:
        return tr("hit by a product of channels %1 (%2)")
            .arg(termList(reason.product), plan::productText(reason.product));
    case PlanReason::Kind::MakesProduct:
        return makesProduct(reason);
    case PlanReason::Kind::Busier:
        return tr("busier: occupancy up to %1 %, the plan's worst %2 %")
            .arg(percent(reason.boundPct), percent(reason.worstPct));
    case PlanReason::Kind::NotChosen:
        return tr("meets the constraints, but the best set leaves it out");
    }
    return {};
}

QString PlanTexts::makesProduct(const PlanReason &reason)
{
    // One sentence each, so that a language may order its words its own way: by one other term
    // or two, landing on or near, on the channel itself or another.
    static constexpr std::array<const char *, 8> kSentences = {
        QT_TR_NOOP("with channels %1 it makes a product (%2) near channel %3"),
        QT_TR_NOOP("with channels %1 it makes a product (%2) near channel %3, itself"),
        QT_TR_NOOP("with channels %1 it makes a product (%2) on channel %3"),
        QT_TR_NOOP("with channels %1 it makes a product (%2) on channel %3, itself"),
        QT_TR_NOOP("with channel %1 it makes a product (%2) near channel %3"),
        QT_TR_NOOP("with channel %1 it makes a product (%2) near channel %3, itself"),
        QT_TR_NOOP("with channel %1 it makes a product (%2) on channel %3"),
        QT_TR_NOOP("with channel %1 it makes a product (%2) on channel %3, itself")};
    const std::size_t sentence = (reason.product.termCount() == 2 ? 4U : 0U) +
                                 (reason.product.lands == reason.other ? 2U : 0U) +
                                 (reason.other == reason.self ? 1U : 0U);
    return tr(kSentences[sentence])
        .arg(termList(reason.product, reason.self), plan::productText(reason.product))
        .arg(channelplan::channelNumber(reason.other));
}

QString PlanTexts::limitText(const PlanLimit &limit, const PlanConstraints &constraints, int open)
{
    const QString without = tr("without it, %1 would fit").arg(limit.without);
    switch (limit.kind) {
    case PlanLimit::Kind::Channels:
        return tr("the allowed and avoided channels leave %1 open; %2").arg(open).arg(without);
    case PlanLimit::Kind::Fixed:
        return tr("the fixed channels %1; %2")
            .arg(plan::channelListText(constraints.fixed), without);
    case PlanLimit::Kind::Spacing:
        return limit.alone
                   ? tr("a spacing of %1 alone allows at most %2 of the %3 open channels; %4")
                         .arg(constraints.spacing)
                         .arg(*limit.alone)
                         .arg(open)
                         .arg(without)
                   : tr("a spacing of %1; %2").arg(constraints.spacing).arg(without);
    case PlanLimit::Kind::Products:
        return limit.alone ? tr("%1 (guard %2) alone allow at most %3 of the %4 open channels; %5")
                                 .arg(productsText(constraints.products))
                                 .arg(constraints.guard)
                                 .arg(*limit.alone)
                                 .arg(open)
                                 .arg(without)
                           : tr("%1 (guard %2); %3")
                                 .arg(productsText(constraints.products))
                                 .arg(constraints.guard)
                                 .arg(without);
    case PlanLimit::Kind::StrongCarriers:
        return tr("the strong-carrier guard; %1").arg(without);
    case PlanLimit::Kind::Spares:
        return tr("%1 spares; %2").arg(constraints.spares).arg(without);
    case PlanLimit::Kind::Together:
        return tr("no one constraint: they bind together");
    }
    return {};
}

QString PlanTexts::fixedProductText(const FixedProduct &fixed)
{
    return (fixed.product.lands == fixed.hits
                ? tr("fixed channels %1 make a product on channel %2 (%3)")
                : tr("fixed channels %1 make a product near channel %2 (%3)"))
        .arg(termList(fixed.product))
        .arg(channelplan::channelNumber(fixed.hits))
        .arg(plan::productText(fixed.product));
}

QString PlanTexts::productsText(PlanProducts products)
{
    switch (products) {
    case PlanProducts::None:
        return tr("no products");
    case PlanProducts::Third:
        return tr("third-order products");
    case PlanProducts::Fifth:
        return tr("third- and fifth-order products");
    }
    return {};
}

// "12 and 17", "12, 17 and 30": the product's terms but `left`.
QString PlanTexts::termList(const PlanProduct &product, int left)
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
    return tr("%1 and %2").arg(numbers.join(tr(", ")), last);
}
