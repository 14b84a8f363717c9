#include "programs/scan/planoptions.h"

#include "core/grammar.h"

namespace planoptions {

namespace {

using optiontable::refusal;

const OptionCondition kPlan{QStringLiteral("plan"), {}, QStringLiteral("--%1 needs --plan N")};

// --plan is read first and makes the constraints; without it the other rows, read for their
// defaults, have nothing to set.
PlanConstraints *constraintsOf(PlanSettings &settings)
{
    return settings.constraints ? &*settings.constraints : nullptr;
}

OptionRow listRow(const QString &name, const QString &help, const QString &defaultValue,
                  PlanSettings &settings, ChannelMask PlanConstraints::*field)
{
    return {{name},
            QStringLiteral("LIST"),
            help,
            defaultValue,
            [&settings, name, field](const QStringList &values) {
                PlanConstraints *constraints = constraintsOf(settings);
                if (constraints == nullptr) {
                    return QString();
                }
                QString error;
                const auto channels = plan::parseChannelList(values.constLast(), &error);
                if (!channels) {
                    return QStringLiteral("--%1: %2").arg(name, error);
                }
                constraints->*field = *channels;
                return QString();
            },
            {kPlan}};
}

OptionRow countRow(const QString &name, const QString &valueName, const QString &help,
                   const QString &defaultValue, int lowest, int highest, PlanSettings &settings,
                   int PlanConstraints::*field)
{
    return {{name},
            valueName,
            help,
            defaultValue,
            [&settings, name, lowest, highest, field](const QStringList &values) {
                PlanConstraints *constraints = constraintsOf(settings);
                if (constraints == nullptr) {
                    return QString();
                }
                const auto count = grammar::readInteger(values.constLast(), lowest, highest);
                if (!count) {
                    return refusal(
                        name,
                        QStringLiteral("a whole number from %1 to %2").arg(lowest).arg(highest),
                        values.constLast());
                }
                constraints->*field = static_cast<int>(*count);
                return QString();
            },
            {kPlan}};
}

} // namespace

QList<OptionRow> rows(PlanSettings &settings)
{
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("plan")},
                 QStringLiteral("N"),
                 QStringLiteral("At the end, propose the best N channels under the --plan-* "
                                "constraints, proved best; the reasons go to standard error. Exit "
                                "status 8 when N channels cannot meet them."),
                 {},
                 [&settings](const QStringList &values) {
                     const auto size =
                         grammar::readInteger(values.constLast(), 1, channelplan::kChannelCount);
                     if (!size) {
                         return refusal(QStringLiteral("plan"),
                                        QStringLiteral("a number of channels from 1 to 40"),
                                        values.constLast());
                     }
                     settings.constraints = PlanConstraints{};
                     settings.constraints->size = static_cast<int>(*size);
                     return QString();
                 }});
    rows.append(listRow(QStringLiteral("plan-allow"),
                        QStringLiteral("Channels the plan may use: numbers and ranges such as "
                                       "7-12,30 (default 7-46)."),
                        QStringLiteral("7-46"), settings, &PlanConstraints::allowed));
    rows.append(listRow(QStringLiteral("plan-avoid"),
                        QStringLiteral("Channels the plan must not use."), {}, settings,
                        &PlanConstraints::avoided));
    rows.append(listRow(QStringLiteral("plan-fixed"),
                        QStringLiteral("Your channels already in use: they count for spacing and "
                                       "products and are never proposed."),
                        {}, settings, &PlanConstraints::fixed));
    rows.append(countRow(QStringLiteral("plan-spacing"), QStringLiteral("K"),
                         QStringLiteral("Keep plan and fixed channels at least K channels apart "
                                        "(default 1)."),
                         QStringLiteral("1"), 1, PlanConstraints::kLargestSpacing, settings,
                         &PlanConstraints::spacing));
    rows.append({{QStringLiteral("plan-im")},
                 QStringLiteral("ORDER"),
                 QStringLiteral("Intermodulation products kept off plan and fixed channels: none, "
                                "3 (2A-B, A+B-C; the default) or 5 (also 3A-2B, 2A+B-2C)."),
                 QStringLiteral("3"),
                 [&settings](const QStringList &values) {
                     PlanConstraints *constraints = constraintsOf(settings);
                     if (constraints == nullptr) {
                         return QString();
                     }
                     const auto products = plan::productsFromName(values.constLast());
                     if (!products) {
                         return refusal(QStringLiteral("plan-im"), QStringLiteral("none, 3 or 5"),
                                        values.constLast());
                     }
                     constraints->products = *products;
                     return QString();
                 },
                 {kPlan}});
    rows.append(countRow(QStringLiteral("plan-im-guard"), QStringLiteral("G"),
                         QStringLiteral("A product within G channels of a plan or fixed channel "
                                        "hits it (default 0)."),
                         QStringLiteral("0"), 0, PlanConstraints::kLargestGuard, settings,
                         &PlanConstraints::guard));
    rows.append({{QStringLiteral("plan-strong")},
                 QStringLiteral("DBM:K"),
                 QStringLiteral("No plan channel within K channels of one whose level reached DBM "
                                "during the survey, that one included; repeatable."),
                 {},
                 [&settings](const QStringList &values) {
                     PlanConstraints *constraints = constraintsOf(settings);
                     for (const QString &value : values) {
                         const auto rule = plan::parseStrongRule(value);
                         if (!rule) {
                             return refusal(QStringLiteral("plan-strong"),
                                            QStringLiteral("a level and a distance such as -60:2"),
                                            value);
                         }
                         constraints->strong.push_back(*rule);
                     }
                     return QString();
                 },
                 {kPlan}});
    rows.append(countRow(QStringLiteral("plan-spares"), QStringLiteral("S"),
                         QStringLiteral("Also S spare channels, each able to replace any one "
                                        "plan channel (default 0)."),
                         QStringLiteral("0"), 0, channelplan::kChannelCount - 1, settings,
                         &PlanConstraints::spares));
    rows.append({{QStringLiteral("plan-out")},
                 QStringLiteral("FILE"),
                 QStringLiteral("Write every channel's verdict and reason to FILE as CSV, or JSON "
                                "when FILE ends in .json."),
                 {},
                 [&settings](const QStringList &values) {
                     settings.outPath = values.constLast();
                     return QString();
                 },
                 {kPlan}});
    return rows;
}

} // namespace planoptions
