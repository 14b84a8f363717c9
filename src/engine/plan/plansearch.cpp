#include "engine/plan/plansearch.h"

#include "engine/plan/planproducts.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace {

// Figures become whole millionths so that sums and ties are exact whatever the order of adding.
constexpr double kKeyScale = 1e6;

qint64 key(double value)
{
    return std::llround(value * kKeyScale);
}

int lowest(ChannelMask mask)
{
    return __builtin_ctzll(mask);
}

int countOf(ChannelMask mask)
{
    return __builtin_popcountll(mask);
}

// Ranks above r.
ChannelMask above(int rank)
{
    return ~((ChannelMask(2) << rank) - 1);
}

} // namespace

namespace plan {

ChannelMask nearStrongCarriers(const PlanSurvey &survey,
                               const std::vector<StrongCarrierRule> &rules)
{
    ChannelMask near = 0;
    for (const StrongCarrierRule &rule : rules) {
        for (int index = 0; index < channelplan::kChannelCount; ++index) {
            const PlanChannel &channel = survey[static_cast<std::size_t>(index)];
            if (!channel.measured || channel.maxDbm < rule.dbm) {
                continue;
            }
            const int first = std::max(0, index - rule.distance);
            const int last = std::min(channelplan::kLastIndex, index + rule.distance);
            for (int guarded = first; guarded <= last; ++guarded) {
                near |= bit(guarded);
            }
        }
    }
    return near;
}

ChannelMask openChannels(const PlanSurvey &survey, const PlanConstraints &constraints)
{
    ChannelMask measured = 0;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        if (survey[static_cast<std::size_t>(index)].measured) {
            measured |= bit(index);
        }
    }
    return constraints.allowed & ~constraints.avoided & ~constraints.fixed & measured &
           ~nearStrongCarriers(survey, constraints.strong) & kAllChannels;
}

} // namespace plan

PlanSearch::PlanSearch(const PlanSurvey &survey, const PlanConstraints &constraints)
    : m_survey(survey)
    , m_constraints(constraints)
    , m_openChannels(plan::openChannels(survey, constraints))
{
    std::vector<int> order;
    std::vector<int> rest;
    for (int index = 0; index < kCount; ++index) {
        ((m_openChannels & plan::bit(index)) != 0 ? order : rest).push_back(index);
    }
    const auto merit = [this](int index) {
        const PlanChannel &channel = m_survey[static_cast<std::size_t>(index)];
        return std::tuple(key(channel.occupancyHighPct), key(channel.meanDbm), index);
    };
    std::sort(order.begin(), order.end(), [&merit](int a, int b) { return merit(a) < merit(b); });
    m_openRanks = order.empty() ? 0 : (ChannelMask(2) << (order.size() - 1)) - 1;
    order.insert(order.end(), rest.begin(), rest.end());
    for (int rank = 0; rank < kCount; ++rank) {
        const int index = order[static_cast<std::size_t>(rank)];
        m_channelOf[static_cast<std::size_t>(rank)] = index;
        m_rankOf[static_cast<std::size_t>(index)] = rank;
        const PlanChannel &channel = m_survey[static_cast<std::size_t>(index)];
        m_bound[static_cast<std::size_t>(rank)] = key(channel.occupancyHighPct);
        m_mean[static_cast<std::size_t>(rank)] = key(channel.meanDbm);
        m_weight[static_cast<std::size_t>(rank)] = quint64(1) << (kCount - 1 - index);
        if ((m_constraints.fixed & plan::bit(index)) != 0) {
            m_fixedRanks.push_back(rank);
        }
    }
    buildTables();
    m_rootCandidates = m_openRanks & ~forbiddenBy(m_fixedRanks);
}

namespace {

constexpr int kCount = channelplan::kChannelCount;

std::size_t pairIndex(int a, int b)
{
    return static_cast<std::size_t>(a) * kCount + static_cast<std::size_t>(b);
}

// Triples are kept under their members in ascending order.
std::size_t tripleIndex(int a, int b, int c)
{
    if (a > b) {
        std::swap(a, b);
    }
    if (b > c) {
        std::swap(b, c);
    }
    if (a > b) {
        std::swap(a, b);
    }
    return (static_cast<std::size_t>(a) * kCount + static_cast<std::size_t>(b)) * kCount +
           static_cast<std::size_t>(c);
}

// Channels a product forbids beside one, two or three others, by channel index; they depend on
// the products and the guard alone, so they are made once for each.
struct RelationTables
{
    std::array<ChannelMask, kCount> singles{};
    std::vector<ChannelMask> pairs = std::vector<ChannelMask>(std::size_t{kCount} * kCount);
    std::vector<ChannelMask> triples =
        std::vector<ChannelMask>(std::size_t{kCount} * kCount * kCount);
};

RelationTables makeRelations(PlanProducts products, int guard)
{
    RelationTables tables;
    plan::forEachProduct(products, plan::kAllChannels, [&](const PlanProduct &product) {
        const int first = std::max(0, product.lands - guard);
        const int last = std::min(kCount - 1, product.lands + guard);
        for (int hit = first; hit <= last; ++hit) {
            const ChannelMask involved = product.termMask() | plan::bit(hit);
            for (ChannelMask members = involved; members != 0; members &= members - 1) {
                const int member = lowest(members);
                std::array<int, 3> rest{};
                int count = 0;
                for (ChannelMask others = involved & ~plan::bit(member); others != 0;
                     others &= others - 1) {
                    rest[static_cast<std::size_t>(count++)] = lowest(others);
                }
                const ChannelMask forbidden = plan::bit(member);
                if (count == 1) {
                    tables.singles[static_cast<std::size_t>(rest[0])] |= forbidden;
                } else if (count == 2) {
                    tables.pairs[pairIndex(rest[0], rest[1])] |= forbidden;
                    tables.pairs[pairIndex(rest[1], rest[0])] |= forbidden;
                } else {
                    tables.triples[tripleIndex(rest[0], rest[1], rest[2])] |= forbidden;
                }
            }
        }
    });
    return tables;
}

const RelationTables &relations(PlanProducts products, int guard)
{
    static std::mutex lock;
    static std::map<std::pair<PlanProducts, int>, std::unique_ptr<RelationTables>> made;
    const std::lock_guard<std::mutex> held(lock);
    std::unique_ptr<RelationTables> &tables = made[{products, guard}];
    if (!tables) {
        tables = std::make_unique<RelationTables>(makeRelations(products, guard));
    }
    return *tables;
}

} // namespace

ChannelMask PlanSearch::toRanks(ChannelMask channels) const
{
    ChannelMask ranks = 0;
    for (; channels != 0; channels &= channels - 1) {
        ranks |= plan::bit(m_rankOf[static_cast<std::size_t>(lowest(channels))]);
    }
    return ranks;
}

void PlanSearch::buildTables()
{
    const RelationTables &relation = relations(m_constraints.products, m_constraints.guard);
    m_pairs.assign(std::size_t{kCount} * kCount, 0);
    m_triples.assign(std::size_t{kCount} * kCount * kCount, 0);
    for (int a = 0; a < kCount; ++a) {
        const std::size_t rankA = static_cast<std::size_t>(m_rankOf[static_cast<std::size_t>(a)]);
        ChannelMask single = relation.singles[static_cast<std::size_t>(a)];
        for (int b = std::max(0, a - m_constraints.spacing + 1);
             b < std::min(kCount, a + m_constraints.spacing); ++b) {
            single |= b != a ? plan::bit(b) : 0;
        }
        m_singles[rankA] = toRanks(single);
        for (int b = a + 1; b < kCount; ++b) {
            const int rankB = m_rankOf[static_cast<std::size_t>(b)];
            const ChannelMask pair = toRanks(relation.pairs[pairIndex(a, b)]);
            m_pairs[pairIndex(static_cast<int>(rankA), rankB)] = pair;
            m_pairs[pairIndex(rankB, static_cast<int>(rankA))] = pair;
            for (int c = b + 1; c < kCount; ++c) {
                if (const ChannelMask triple = relation.triples[tripleIndex(a, b, c)]) {
                    m_triples[tripleIndex(static_cast<int>(rankA), rankB,
                                          m_rankOf[static_cast<std::size_t>(c)])] = toRanks(triple);
                }
            }
        }
    }
    m_pairsWithFixed.assign(std::size_t{kCount} * kCount, 0);
    for (int x = 0; x < kCount; ++x) {
        ChannelMask withFixed = m_singles[static_cast<std::size_t>(x)];
        for (std::size_t i = 0; i < m_fixedRanks.size(); ++i) {
            withFixed |= t2(x, m_fixedRanks[i]);
            for (std::size_t j = 0; j < i; ++j) {
                withFixed |= t3(x, m_fixedRanks[i], m_fixedRanks[j]);
            }
        }
        m_withFixed[static_cast<std::size_t>(x)] = withFixed;
        for (int y = 0; y < kCount; ++y) {
            ChannelMask pair = t2(x, y);
            for (const int fixed : m_fixedRanks) {
                pair |= t3(x, y, fixed);
            }
            m_pairsWithFixed[pairIndex(x, y)] = pair;
        }
    }
}

ChannelMask PlanSearch::t3(int a, int b, int c) const
{
    return m_triples[tripleIndex(a, b, c)];
}

ChannelMask PlanSearch::forbiddenAfter(int next, const Ranks &chosen, int depth) const
{
    ChannelMask forbidden = m_withFixed[static_cast<std::size_t>(next)];
    for (int i = 0; i < depth; ++i) {
        const int y = chosen[static_cast<std::size_t>(i)];
        forbidden |= m_pairsWithFixed[pairIndex(next, y)];
        for (int j = 0; j < i; ++j) {
            forbidden |= t3(next, y, chosen[static_cast<std::size_t>(j)]);
        }
    }
    return forbidden;
}

ChannelMask PlanSearch::forbiddenBy(const std::vector<int> &members) const
{
    ChannelMask forbidden = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        forbidden |= m_singles[static_cast<std::size_t>(members[i])];
        for (std::size_t j = 0; j < i; ++j) {
            forbidden |= t2(members[i], members[j]);
            for (std::size_t k = 0; k < j; ++k) {
                forbidden |= t3(members[i], members[j], members[k]);
            }
        }
    }
    return forbidden;
}

std::vector<int> PlanSearch::sparesOf(const Ranks &chosen, int count) const
{
    ChannelMask planRanks = 0;
    for (int i = 0; i < count; ++i) {
        planRanks |= plan::bit(chosen[static_cast<std::size_t>(i)]);
    }
    ChannelMask spares = m_openRanks & ~planRanks;
    std::vector<int> others;
    for (int replaced = 0; replaced < count && spares != 0; ++replaced) {
        others = m_fixedRanks;
        for (int i = 0; i < count; ++i) {
            if (i != replaced) {
                others.push_back(chosen[static_cast<std::size_t>(i)]);
            }
        }
        spares &= ~forbiddenBy(others);
    }
    std::vector<int> ranks;
    for (; spares != 0; spares &= spares - 1) {
        ranks.push_back(lowest(spares));
    }
    return ranks;
}

void PlanSearch::offer(const Ranks &chosen)
{
    std::vector<int> spareRanks;
    if (m_constraints.spares > 0) {
        spareRanks = sparesOf(chosen, m_size);
        if (static_cast<int>(spareRanks.size()) < m_constraints.spares) {
            return;
        }
        spareRanks.resize(static_cast<std::size_t>(m_constraints.spares));
    }
    qint64 sum = 0;
    qint64 meanSum = 0;
    quint64 weight = 0;
    std::vector<int> channels;
    for (int i = 0; i < m_size; ++i) {
        const int rank = chosen[static_cast<std::size_t>(i)];
        sum += m_bound[static_cast<std::size_t>(rank)];
        meanSum += m_mean[static_cast<std::size_t>(rank)];
        weight += m_weight[static_cast<std::size_t>(rank)];
        channels.push_back(m_channelOf[static_cast<std::size_t>(rank)]);
    }
    std::sort(channels.begin(), channels.end());
    // Taken in order of merit, the last channel is the worst.
    const qint64 worst =
        m_bound[static_cast<std::size_t>(chosen[static_cast<std::size_t>(m_size - 1)])];
    // The heavier set wins the last tie, so its weight is compared the other way round.
    if (m_best.found && std::tuple(worst, sum, meanSum, m_best.weight) >=
                            std::tuple(m_best.worst, m_best.sum, m_best.meanSum, weight)) {
        return;
    }
    m_best.found = true;
    m_best.worst = worst;
    m_best.sum = sum;
    m_best.meanSum = meanSum;
    m_best.weight = weight;
    m_best.channels = std::move(channels);
    m_best.spares.clear();
    for (const int rank : spareRanks) {
        m_best.spares.push_back(m_channelOf[static_cast<std::size_t>(rank)]);
    }
}

bool PlanSearch::mayWinTie(int next, const int *rest, int restCount, int need, qint64 meanSum,
                           quint64 weight) const
{
    std::array<qint64, kCount> means{};
    std::array<quint64, kCount> weights{};
    for (int j = 0; j < restCount; ++j) {
        means[static_cast<std::size_t>(j)] = m_mean[static_cast<std::size_t>(rest[j])];
        weights[static_cast<std::size_t>(j)] = m_weight[static_cast<std::size_t>(rest[j])];
    }
    const int more = need - 1;
    std::partial_sort(means.begin(), means.begin() + more, means.begin() + restCount);
    std::partial_sort(weights.begin(), weights.begin() + more, weights.begin() + restCount,
                      std::greater<>());
    qint64 meanBound = meanSum + m_mean[static_cast<std::size_t>(next)];
    quint64 weightBound = weight + m_weight[static_cast<std::size_t>(next)];
    for (int j = 0; j < more; ++j) {
        meanBound += means[static_cast<std::size_t>(j)];
        weightBound += weights[static_cast<std::size_t>(j)];
    }
    return meanBound < m_best.meanSum ||
           (meanBound == m_best.meanSum && weightBound > m_best.weight);
}

void PlanSearch::descend(Ranks &chosen, int depth, ChannelMask candidates, qint64 sum,
                         qint64 meanSum, quint64 weight)
{
    ++m_nodes;
    if (depth == m_size) {
        offer(chosen);
        return;
    }
    const int need = m_size - depth;
    if (spacedCount(candidates) < need) {
        return;
    }
    std::array<int, kCount> ranks{};
    std::array<qint64, kCount + 1> prefix{};
    int count = 0;
    for (ChannelMask left = candidates; left != 0; left &= left - 1) {
        const int rank = lowest(left);
        ranks[static_cast<std::size_t>(count)] = rank;
        prefix[static_cast<std::size_t>(count) + 1] =
            prefix[static_cast<std::size_t>(count)] + m_bound[static_cast<std::size_t>(rank)];
        ++count;
    }
    for (int i = 0; i + need <= count; ++i) {
        const int next = ranks[static_cast<std::size_t>(i)];
        if (m_best.found) {
            // The best the branch can do: this channel and the next best after it.
            const qint64 worstBound =
                m_bound[static_cast<std::size_t>(ranks[static_cast<std::size_t>(i + need - 1)])];
            const qint64 sumBound =
                sum + prefix[static_cast<std::size_t>(i) + static_cast<std::size_t>(need)] -
                prefix[static_cast<std::size_t>(i)];
            if (std::tie(worstBound, sumBound) > std::tie(m_best.worst, m_best.sum)) {
                // Later channels are no better by either figure.
                break;
            }
            if (std::tie(worstBound, sumBound) == std::tie(m_best.worst, m_best.sum) &&
                !mayWinTie(next, ranks.data() + i + 1, count - i - 1, need, meanSum, weight)) {
                continue;
            }
        }
        chosen[static_cast<std::size_t>(depth)] = next;
        const ChannelMask rest = candidates & above(next) & ~forbiddenAfter(next, chosen, depth);
        descend(chosen, depth + 1, rest, sum + m_bound[static_cast<std::size_t>(next)],
                meanSum + m_mean[static_cast<std::size_t>(next)],
                weight + m_weight[static_cast<std::size_t>(next)]);
    }
}

int PlanSearch::spacedCount(ChannelMask candidates) const
{
    ChannelMask channels = 0;
    for (; candidates != 0; candidates &= candidates - 1) {
        channels |= plan::bit(m_channelOf[static_cast<std::size_t>(lowest(candidates))]);
    }
    // Taking the lowest channel each time keeps the most that are spaced apart on a line.
    int count = 0;
    while (channels != 0) {
        const int next = lowest(channels) + m_constraints.spacing;
        ++count;
        channels = next >= kCount ? 0 : channels & ~((ChannelMask(1) << next) - 1);
    }
    return count;
}

void PlanSearch::grow(Ranks &chosen, int depth, ChannelMask candidates)
{
    ++m_nodes;
    m_largestFound = std::max(m_largestFound, depth);
    if (depth + spacedCount(candidates) <= m_largestFound) {
        return;
    }
    for (ChannelMask left = candidates; left != 0 && m_largestFound < m_size;) {
        if (depth + countOf(left) <= m_largestFound) {
            return;
        }
        const int next = lowest(left);
        left &= left - 1;
        chosen[static_cast<std::size_t>(depth)] = next;
        grow(chosen, depth + 1, left & ~forbiddenAfter(next, chosen, depth));
    }
}

std::optional<Plan> PlanSearch::best(int size)
{
    m_size = size;
    m_best = Incumbent{};
    if (size <= 0) {
        return std::nullopt;
    }
    Ranks chosen{};
    descend(chosen, 0, m_rootCandidates, 0, 0, 0);
    if (!m_best.found) {
        return std::nullopt;
    }
    return Plan{m_best.channels, m_best.spares};
}

int PlanSearch::largest(int limit)
{
    m_size = limit;
    m_largestFound = 0;
    Ranks chosen{};
    grow(chosen, 0, m_rootCandidates);
    int found = m_largestFound;
    // Spares are not inherited by a larger set: each size is tried from the largest down.
    if (m_constraints.spares > 0) {
        while (found > 0 && !best(found)) {
            --found;
        }
    }
    return found;
}

std::vector<PlanLimit> PlanSearch::limits(int largest)
{
    const int requested = m_constraints.size;
    std::vector<PlanLimit> found;
    const auto without = [&](PlanLimit::Kind kind, const PlanConstraints &relaxed) {
        PlanSearch search(m_survey, relaxed);
        PlanLimit limit{kind, search.largest(requested), std::nullopt};
        m_nodes += search.nodes();
        if (limit.without > largest) {
            found.push_back(limit);
        }
    };
    // The rule on the open channels alone, as a user would reason about it.
    const auto alone = [&](PlanConstraints only) {
        only.allowed = m_openChannels;
        only.avoided = 0;
        only.fixed = 0;
        only.strong.clear();
        only.spares = 0;
        PlanSearch search(m_survey, only);
        const int count = search.largest(kCount);
        m_nodes += search.nodes();
        return count;
    };
    PlanConstraints relaxed = m_constraints;
    if (relaxed.allowed != plan::kAllChannels || relaxed.avoided != 0) {
        relaxed.allowed = plan::kAllChannels & ~m_constraints.fixed;
        relaxed.avoided = 0;
        without(PlanLimit::Kind::Channels, relaxed);
        relaxed = m_constraints;
    }
    if (relaxed.fixed != 0) {
        relaxed.allowed &= ~relaxed.fixed;
        relaxed.fixed = 0;
        without(PlanLimit::Kind::Fixed, relaxed);
        relaxed = m_constraints;
    }
    if (relaxed.spacing > 1) {
        relaxed.spacing = 1;
        without(PlanLimit::Kind::Spacing, relaxed);
        relaxed = m_constraints;
        if (!found.empty() && found.back().kind == PlanLimit::Kind::Spacing) {
            PlanConstraints only = m_constraints;
            only.products = PlanProducts::None;
            found.back().alone = alone(only);
        }
    }
    if (relaxed.products != PlanProducts::None) {
        relaxed.products = PlanProducts::None;
        without(PlanLimit::Kind::Products, relaxed);
        relaxed = m_constraints;
        if (!found.empty() && found.back().kind == PlanLimit::Kind::Products) {
            PlanConstraints only = m_constraints;
            only.spacing = 1;
            found.back().alone = alone(only);
        }
    }
    if (!relaxed.strong.empty()) {
        relaxed.strong.clear();
        without(PlanLimit::Kind::StrongCarriers, relaxed);
        relaxed = m_constraints;
    }
    if (relaxed.spares > 0) {
        relaxed.spares = 0;
        without(PlanLimit::Kind::Spares, relaxed);
    }
    if (found.empty()) {
        found.push_back({PlanLimit::Kind::Together, largest, std::nullopt});
    }
    return found;
}

PlanResult PlanSearch::solve()
{
    PlanResult result;
    result.requested = m_constraints.size;
    result.open = countOf(m_openChannels);
    if (std::optional<Plan> plan = best(m_constraints.size)) {
        result.feasible = true;
        result.plan = std::move(*plan);
    } else {
        const int count = largest(m_constraints.size - 1);
        if (count > 0) {
            result.plan = best(count).value_or(Plan{});
        }
        result.limits = limits(count);
    }
    result.nodes = m_nodes;
    return result;
}
