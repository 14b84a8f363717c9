#include "engine/plan/planproducts.h"

ChannelMask PlanProduct::termMask() const
{
    ChannelMask mask = 0;
    for (const int term : terms) {
        if (term >= 0) {
            mask |= plan::bit(term);
        }
    }
    return mask;
}

namespace plan {

const char *formPattern(PlanProduct::Form form)
{
    switch (form) {
    case PlanProduct::Form::TwoAMinusB:
        return "2A-B";
    case PlanProduct::Form::APlusBMinusC:
        return "A+B-C";
    case PlanProduct::Form::ThreeAMinusTwoB:
        return "3A-2B";
    case PlanProduct::Form::TwoAPlusBMinusTwoC:
        return "2A+B-2C";
    }
    return "";
}

QString productText(const PlanProduct &product)
{
    const auto number = [&product](int term) {
        return channelplan::channelNumber(product.terms[static_cast<std::size_t>(term)]);
    };
    switch (product.form) {
    case PlanProduct::Form::TwoAMinusB:
        return QStringLiteral("2*%1-%2").arg(number(0)).arg(number(1));
    case PlanProduct::Form::APlusBMinusC:
        return QStringLiteral("%1+%2-%3").arg(number(0)).arg(number(1)).arg(number(2));
    case PlanProduct::Form::ThreeAMinusTwoB:
        return QStringLiteral("3*%1-2*%2").arg(number(0)).arg(number(1));
    case PlanProduct::Form::TwoAPlusBMinusTwoC:
        return QStringLiteral("2*%1+%2-2*%3").arg(number(0)).arg(number(1)).arg(number(2));
    }
    return {};
}

} // namespace plan
