#pragma once

#include "engine/plan/planchannel.h"
#include "engine/plan/planconstraints.h"

#include <array>
#include <optional>
#include <vector>

// A set of channels that meets every constraint. Channel indices, lowest first.
struct Plan
{
    std::vector<int> channels;
    // Each could replace any one plan channel; best first.
    std::vector<int> spares;
};

// A constraint that holds a plan below the size asked for.
struct PlanLimit
{
    enum class Kind { Channels, Fixed, Spacing, Products, StrongCarriers, Spares, Together };

    Kind kind = Kind::Together;
    // The largest plan without this constraint (capped at the size asked for).
    int without = 0;
    // The largest plan under this constraint alone on the open channels, where that says more.
    std::optional<int> alone;
};

struct PlanResult
{
    int requested = 0;
    bool feasible = false;
    // Of the size asked for; otherwise the best of the largest size that meets the constraints,
    // empty when not even one channel does.
    Plan plan;
    // Channels open to a plan: allowed, not avoided, measured, not fixed, clear of strong carriers.
    int open = 0;
    // When infeasible: what binds; one Together entry when no constraint does alone.
    std::vector<PlanLimit> limits;
    // Search nodes visited, limits' searches included.
    qint64 nodes = 0;
};

// The exact search for the best channel plan. The best set is the one whose worst channel has
// the lowest upper bound of occupancy; ties go to the lower sum of those bounds, then the lower
// sum of mean levels, then the lower channel numbers. Channels are taken in that order of merit
// over 64-bit sets; every constraint between channels is a table of forbidden sets, by one, two
// or three members, built from the products once, so that adding a channel costs a few ORs. A
// branch stops when the channels left cannot beat the best set found: its worst channel and sum
// are bounded below by the best ones left.
class PlanSearch
{
public:
    PlanSearch(const PlanSurvey &survey, const PlanConstraints &constraints);

    // The best plan of the constraints' size, or the largest there is and what limits it.
    [[nodiscard]] PlanResult solve();
    // The best plan of `size` channels; nothing when none meets the constraints.
    [[nodiscard]] std::optional<Plan> best(int size);
    // The largest count of channels meeting the constraints, spares included, at most `limit`.
    [[nodiscard]] int largest(int limit);

    [[nodiscard]] ChannelMask open() const { return m_openChannels; }
    [[nodiscard]] qint64 nodes() const { return m_nodes; }

private:
    static constexpr int kCount = channelplan::kChannelCount;
    using Ranks = std::array<int, kCount>;

    struct Incumbent
    {
        bool found = false;
        qint64 worst = 0;
        qint64 sum = 0;
        qint64 meanSum = 0;
        // Lower channel numbers first: the set holding the lowest channel of the two sets'
        // difference weighs more.
        quint64 weight = 0;
        std::vector<int> channels;
        std::vector<int> spares;
    };

    void buildTables();
    [[nodiscard]] ChannelMask toRanks(ChannelMask channels) const;
    [[nodiscard]] ChannelMask forbiddenAfter(int next, const Ranks &chosen, int depth) const;
    [[nodiscard]] ChannelMask forbiddenBy(const std::vector<int> &members) const;
    [[nodiscard]] std::vector<int> sparesOf(const Ranks &chosen, int count) const;
    void descend(Ranks &chosen, int depth, ChannelMask candidates, qint64 sum, qint64 meanSum,
                 quint64 weight);
    // Whether taking `next` and the best of `rest` after it could still beat the incumbent on
    // mean level and channel numbers, once worst and sum tie.
    [[nodiscard]] bool mayWinTie(int next, const int *rest, int restCount, int need, qint64 meanSum,
                                 quint64 weight) const;
    void offer(const Ranks &chosen);
    // The most of the candidates that keep the spacing among themselves: a bound on what a
    // branch can still add.
    [[nodiscard]] int spacedCount(ChannelMask candidates) const;
    void grow(Ranks &chosen, int depth, ChannelMask candidates);
    [[nodiscard]] bool fits(int size);
    [[nodiscard]] std::vector<PlanLimit> limits(int largest);

    [[nodiscard]] ChannelMask t2(int a, int b) const
    {
        return m_pairs[static_cast<std::size_t>(a) * kCount + static_cast<std::size_t>(b)];
    }
    [[nodiscard]] ChannelMask t3(int a, int b, int c) const;

    PlanSurvey m_survey;
    PlanConstraints m_constraints;
    ChannelMask m_openChannels = 0;
    // Channels by merit: rank r is channel m_channelOf[r]; open channels first, then the rest.
    Ranks m_channelOf{};
    Ranks m_rankOf{};
    ChannelMask m_openRanks = 0;
    std::vector<int> m_fixedRanks;
    std::array<qint64, kCount> m_bound{};
    std::array<qint64, kCount> m_mean{};
    std::array<quint64, kCount> m_weight{};
    // Ranks forbidden beside one, two or three members (rank-indexed; a triple under its
    // members in ascending order).
    std::array<ChannelMask, kCount> m_singles{};
    std::vector<ChannelMask> m_pairs;
    std::vector<ChannelMask> m_triples;
    // With the fixed channels folded in: beside a plan channel, beside two plan channels.
    std::array<ChannelMask, kCount> m_withFixed{};
    std::vector<ChannelMask> m_pairsWithFixed;
    ChannelMask m_rootCandidates = 0;

    int m_size = 0;
    int m_largestFound = 0;
    Incumbent m_best;
    qint64 m_nodes = 0;
};

namespace plan {

// The channels the strong-carrier rules keep a plan away from.
ChannelMask nearStrongCarriers(const PlanSurvey &survey,
                               const std::vector<StrongCarrierRule> &rules);
// The channels open to a plan: allowed, not avoided, measured, not fixed, clear of strong
// carriers.
ChannelMask openChannels(const PlanSurvey &survey, const PlanConstraints &constraints);

} // namespace plan
