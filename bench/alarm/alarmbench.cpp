// What the alarm rules cost a sweep: 40 channels against 5 rules (fixed and noise-relative
// levels, holds and clear times), on sweeps where carriers come and go so that alarms raise
// and clear all along. Prints "name value unit" lines.
#include "engine/alarm/alarmengine.h"
#include "engine/record/sweeprecord.h"

#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Microseconds = std::chrono::duration<double, std::micro>;

constexpr int kSweeps = 200'000;
constexpr int kBatch = 1000;
constexpr qint64 kSweepMs = 360; // about the fastest real sweep
constexpr qint64 kStartUtcMs = 1'796'000'000'000;

const QStringList kRules = {
    QStringLiteral("ch=all,above=-90"),
    QStringLiteral("ch=all,above=noise+10,for=2s"),
    QStringLiteral("ch=all,above=-100,clear=-110,clear-for=3s"),
    QStringLiteral("ch=all,above=noise+6,clear=noise+3,clear-for=0"),
    QStringLiteral("ch=all,above=-80,for=1s,clear-for=10s"),
};

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2),
                     values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    std::vector<AlarmRule> rules;
    for (const QString &text : kRules) {
        rules.push_back(*alarms::parseRule(text).rule);
    }
    AlarmEngine engine(rules);
    // Sweeps made beforehand, so that only the rules are timed: a floor near -120 dBm with a
    // carrier that switches on and off every few seconds on every fourth channel.
    QRandomGenerator random(318);
    std::vector<SweepRecord> sweeps(kBatch * 10);
    for (std::size_t n = 0; n < sweeps.size(); ++n) {
        for (std::size_t ch = 0; ch < sweeps[n].dbm.size(); ++ch) {
            const bool carrier = ch % 4 == 0 && (n / (8 + ch)) % 2 == 1;
            sweeps[n].dbm[ch] = static_cast<qint16>(carrier ? random.bounded(-85, -60)
                                                            : random.bounded(-124, -115));
        }
    }
    std::vector<double> perSweep;
    qint64 events = 0;
    for (int done = 0; done < kSweeps; done += kBatch) {
        const auto start = Clock::now();
        for (int n = done; n < done + kBatch; ++n) {
            SweepRecord &sweep = sweeps[static_cast<std::size_t>(n) % sweeps.size()];
            sweep.utcMs = kStartUtcMs + n * kSweepMs;
            events += static_cast<qint64>(engine.addSweep(sweep).size());
        }
        perSweep.push_back(Microseconds(Clock::now() - start).count() / kBatch);
    }
    std::printf("alarm_rules %lld rules\n", static_cast<long long>(kRules.size()));
    std::printf("alarm_sweeps %d sweeps\n", kSweeps);
    std::printf("alarm_events %lld events\n", static_cast<long long>(events));
    std::printf("alarm_us_per_sweep_median %.3f us\n", median(perSweep));
    std::printf("alarm_us_per_sweep_worst_batch %.3f us\n",
                *std::max_element(perSweep.begin(), perSweep.end()));
    return 0;
}
