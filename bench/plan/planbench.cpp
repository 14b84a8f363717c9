// What the channel plan's exact search costs on 40 channels of a synthetic survey: the largest
// plan under third- and fifth-order products with a spacing of 2, proved best, and four channels
// under third-order products by occupancy. Prints "name value unit" lines.
#include "engine/plan/plansearch.h"

#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kRounds = 51;

double between(QRandomGenerator &random, double lowest, double highest)
{
    return lowest + random.bounded(highest - lowest);
}

// Quiet channels near 0 %, some busy ones, a few strong carriers: bounds and levels all differ.
PlanSurvey syntheticSurvey()
{
    QRandomGenerator random(318);
    PlanSurvey survey{};
    for (PlanChannel &channel : survey) {
        channel.measured = true;
        const bool busy = random.bounded(4) == 0;
        channel.occupancyPct = busy ? between(random, 5.0, 60.0) : between(random, 0.0, 2.0);
        channel.occupancyLowPct = std::max(0.0, channel.occupancyPct - 1.0);
        channel.occupancyHighPct = channel.occupancyPct + between(random, 0.2, 2.0);
        channel.meanDbm = between(random, -124.0, -100.0);
        channel.maxDbm = static_cast<qint16>(random.bounded(-110, -40));
    }
    return survey;
}

template <typename Run> std::vector<double> timed(Run run)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const Clock::time_point start = Clock::now();
        run();
        times.push_back(Milliseconds(Clock::now() - start).count());
    }
    return times;
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    const PlanSurvey survey = syntheticSurvey();

    PlanConstraints dense;
    dense.products = PlanProducts::Fifth;
    dense.spacing = 2;
    int largest = 0;
    bool found = false;
    qint64 nodes = 0;
    // The first round also makes the product tables, which later searches share.
    const std::vector<double> largestTimes = timed([&] {
        PlanSearch search(survey, dense);
        largest = search.largest(channelplan::kChannelCount);
        found = search.best(largest).has_value();
        nodes = search.nodes();
    });
    std::printf("plan_largest_first_ms %.3f\n", largestTimes.front());
    std::printf("plan_largest_ms %.3f\n", median(largestTimes));
    std::printf("plan_largest_count %d\n", found ? largest : 0);
    std::printf("plan_largest_nodes %lld\n", static_cast<long long>(nodes));

    dense.size = largest + 1;
    std::printf("plan_one_more_ms %.3f\n", median(timed([&] {
                    PlanSearch search(survey, dense);
                    nodes = search.solve().nodes;
                })));
    std::printf("plan_one_more_nodes %lld\n", static_cast<long long>(nodes));

    PlanConstraints four;
    four.size = 4;
    const std::vector<double> fourTimes = timed([&] {
        PlanSearch search(survey, four);
        nodes = search.solve().nodes;
    });
    std::printf("plan_four_ms %.3f\n", median(fourTimes));
    std::printf("plan_four_nodes %lld\n", static_cast<long long>(nodes));
    return 0;
}
