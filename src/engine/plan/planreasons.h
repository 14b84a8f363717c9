#pragma once

#include "engine/plan/planproducts.h"
#include "engine/plan/plansearch.h"

#include <QString>

#include <optional>
#include <vector>

// Why a channel is not in a plan: one constraint it breaks, or its occupancy.
struct PlanReason
{
    enum class Kind {
        NotAllowed,
        Avoided,
        NotMeasured,
        StrongCarrier, // `other` reached `dbm`, `distance` channels away
        TooClose,      // `distance` channels from plan or fixed channel `other`
        HitByProduct,  // `product` of plan or fixed channels lands on or near it
        MakesProduct,  // with plan or fixed channels, channel `self` makes `product`, landing
                       // on or near `other`
        Busier,        // its occupancy bound `boundPct` is above the plan's worst, `worstPct`
        NotChosen      // meets every constraint with the plan, yet a better set leaves it out
    };

    Kind kind = Kind::NotChosen;
    int self = -1;
    int other = -1;
    int distance = 0;
    qint16 dbm = 0;
    PlanProduct product;
    double boundPct = 0.0;
    double worstPct = 0.0;
};

enum class PlanVerdict { Plan, Spare, Fixed, Unused };

struct ChannelVerdict
{
    int index = 0;
    PlanVerdict verdict = PlanVerdict::Unused;
    std::vector<PlanReason> reasons;
    // To the nearest channel that reached the lowest strong-carrier level; nothing without such
    // a rule or such a channel.
    std::optional<int> strongDistance;
};

// A product among the fixed channels alone, landing on or near one of them: the situation the
// user has already, not held against a plan.
struct FixedProduct
{
    PlanProduct product;
    int hits = 0;
};

// A plan with the verdict of every channel.
struct PlanReport
{
    PlanConstraints constraints;
    PlanResult result;
    std::vector<ChannelVerdict> channels;
    std::vector<FixedProduct> fixedProducts;
};

namespace plan {

PlanReport explain(const PlanSurvey &survey, const PlanConstraints &constraints,
                   const PlanResult &result);

// One line of English each, for the programs and the files.
QString verdictName(PlanVerdict verdict);
QString reasonText(const PlanReason &reason, const PlanConstraints &constraints);
// "third-order products alone allow at most 8 of the 40 open channels".
QString limitText(const PlanLimit &limit, const PlanConstraints &constraints, int open);
// "fixed channels 10 and 12 make a product on channel 14 (2*12-10)".
QString fixedProductText(const FixedProduct &fixed);

} // namespace plan
