#include "engine/alarm/alarmengine.h"

#include "engine/protocol/monitorstate.h"
#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <algorithm>
#include <utility>

namespace {
AlarmEvent eventOf(AlarmEvent::Kind kind, qint64 utcMs, int index, qint16 dbm, qint16 peak,
                   const AlarmRule &rule)
{
    AlarmEvent event;
    event.kind = kind;
    event.utcMs = utcMs;
    event.index = index;
    event.dbm = dbm;
    event.peakDbm = peak;
    event.rule = rule.text;
    return event;
}
} // namespace

AlarmEngine::AlarmEngine(std::vector<AlarmRule> rules)
    : m_rules(std::move(rules))
{
    for (int r = 0; r < static_cast<int>(m_rules.size()); ++r) {
        const AlarmRule &rule = m_rules[static_cast<std::size_t>(r)];
        for (int index = rule.firstIndex; index <= rule.lastIndex; ++index) {
            Alarm alarm;
            alarm.rule = r;
            m_alarms[static_cast<std::size_t>(index)].push_back(alarm);
            m_needsNoise[static_cast<std::size_t>(index)] =
                m_needsNoise[static_cast<std::size_t>(index)] || rule.above.noiseRelative ||
                rule.clear.noiseRelative;
        }
    }
}

std::vector<AlarmEvent> AlarmEngine::addSweep(const SweepRecord &sweep)
{
    std::vector<AlarmEvent> events;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        evaluate(index, sweep.dbm[static_cast<std::size_t>(index)], sweep.utcMs, events);
    }
    return events;
}

std::vector<AlarmEvent> AlarmEngine::addReading(const Reading &reading)
{
    std::vector<AlarmEvent> events;
    if (reading.index >= 0 && reading.index < channelplan::kChannelCount) {
        evaluate(reading.index, reading.dbm, reading.utcMs, events);
    }
    return events;
}

void AlarmEngine::evaluate(int index, qint16 dbm, qint64 utcMs, std::vector<AlarmEvent> &events)
{
    const auto channel = static_cast<std::size_t>(index);
    if (dbm == MonitorState::kNoReading || m_alarms[channel].empty()) {
        return;
    }
    m_lastUtcMs = utcMs;
    double noise = 0.0;
    if (m_needsNoise[channel]) {
        m_noise[channel].add(utcMs, dbm);
        noise = m_noise[channel].median();
    }
    using State = Alarm::State;
    for (Alarm &alarm : m_alarms[channel]) {
        const AlarmRule &rule = m_rules[static_cast<std::size_t>(alarm.rule)];
        const double above = rule.above.dbm(noise);
        // Never above the raise level, or one reading could clear and raise again.
        const double clear = std::min(rule.clear.dbm(noise), above);
        alarm.dbm = dbm;
        switch (alarm.state) {
        case State::Quiet:
            if (dbm <= above) {
                break;
            }
            alarm.state = State::Rising;
            alarm.sinceUtcMs = utcMs;
            alarm.peakDbm = dbm;
            [[fallthrough]];
        case State::Rising:
            if (dbm <= above) {
                alarm.state = State::Quiet;
                break;
            }
            alarm.peakDbm = std::max(alarm.peakDbm, dbm);
            // A clock stepped back restarts the wait rather than stretching it.
            alarm.sinceUtcMs = std::min(alarm.sinceUtcMs, utcMs);
            if (utcMs - alarm.sinceUtcMs >= rule.holdFor.count()) {
                alarm.state = State::Raised;
                alarm.raisedUtcMs = utcMs;
                events.push_back(
                    eventOf(AlarmEvent::Kind::Raised, utcMs, index, dbm, alarm.peakDbm, rule));
            }
            break;
        case State::Raised:
            alarm.peakDbm = std::max(alarm.peakDbm, dbm);
            if (dbm > clear) {
                break;
            }
            alarm.state = State::Falling;
            alarm.sinceUtcMs = utcMs;
            [[fallthrough]];
        case State::Falling:
            if (dbm > clear) {
                alarm.state = State::Raised;
                alarm.peakDbm = std::max(alarm.peakDbm, dbm);
                break;
            }
            alarm.sinceUtcMs = std::min(alarm.sinceUtcMs, utcMs);
            if (utcMs - alarm.sinceUtcMs >= rule.clearFor.count()) {
                alarm.state = State::Quiet;
                AlarmEvent event =
                    eventOf(AlarmEvent::Kind::Cleared, utcMs, index, dbm, alarm.peakDbm, rule);
                event.durationMs = std::max<qint64>(utcMs - alarm.raisedUtcMs, 0);
                events.push_back(std::move(event));
            }
            break;
        }
    }
}

std::vector<AlarmEvent> AlarmEngine::end(const QString &reason)
{
    std::vector<AlarmEvent> events;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        for (Alarm &alarm : m_alarms[static_cast<std::size_t>(index)]) {
            if (alarm.state == Alarm::State::Raised || alarm.state == Alarm::State::Falling) {
                AlarmEvent event =
                    eventOf(AlarmEvent::Kind::Ended, m_lastUtcMs, index, alarm.dbm, alarm.peakDbm,
                            m_rules[static_cast<std::size_t>(alarm.rule)]);
                event.durationMs = std::max<qint64>(m_lastUtcMs - alarm.raisedUtcMs, 0);
                event.reason = reason;
                events.push_back(std::move(event));
            }
            alarm.state = Alarm::State::Quiet;
        }
    }
    return events;
}

std::vector<AlarmEngine::Active> AlarmEngine::active() const
{
    std::vector<Active> raised;
    for (int index = 0; index < channelplan::kChannelCount; ++index) {
        for (const Alarm &alarm : m_alarms[static_cast<std::size_t>(index)]) {
            if (alarm.state == Alarm::State::Raised || alarm.state == Alarm::State::Falling) {
                raised.push_back({alarm.rule, index, alarm.raisedUtcMs, alarm.dbm, alarm.peakDbm});
            }
        }
    }
    return raised;
}
