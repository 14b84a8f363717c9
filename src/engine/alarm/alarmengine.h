#pragma once

#include "core/channelplan.h"
#include "engine/alarm/alarmevent.h"
#include "engine/alarm/alarmrule.h"
#include "engine/occupancy/noisefloor.h"

#include <array>
#include <vector>

class QByteArray;
struct Reading;
struct SweepRecord;

// Watches readings against the rules, on the readings' own time so that a replayed recording
// raises what the live run would have: a level above a rule's `above` for its `for` raises,
// a level at or below its `clear` for its `clear-for` clears, anything between keeps it as it
// is. Each channel of each rule is an alarm of its own.
class AlarmEngine
{
public:
    // An alarm that is raised now.
    struct Active
    {
        int rule = 0;
        int index = 0;
        qint64 sinceUtcMs = 0;
        qint16 dbm = 0;
        qint16 peakDbm = 0;
    };

    explicit AlarmEngine(std::vector<AlarmRule> rules);

    // The events the readings decided, in channel order; channels without a reading are passed.
    std::vector<AlarmEvent> addSweep(const SweepRecord &sweep);
    std::vector<AlarmEvent> addReading(const Reading &reading);
    // The run stopped or lost its port: every raised alarm ends with this reason, at the time
    // of the last reading, and alarms on their way up start again.
    std::vector<AlarmEvent> end(const QString &reason);

    [[nodiscard]] const std::vector<AlarmRule> &rules() const { return m_rules; }
    [[nodiscard]] std::vector<Active> active() const;

private:
    struct Alarm
    {
        enum class State { Quiet, Rising, Raised, Falling };

        int rule = 0;
        State state = State::Quiet;
        // When the level went above (Rising) or at or below the clear level (Falling).
        qint64 sinceUtcMs = 0;
        qint64 raisedUtcMs = 0;
        qint16 dbm = 0;
        qint16 peakDbm = 0;
    };

    void evaluate(int index, qint16 dbm, qint64 utcMs, std::vector<AlarmEvent> &events);

    std::vector<AlarmRule> m_rules;
    // Per channel, the alarms of the rules that cover it.
    std::array<std::vector<Alarm>, channelplan::kChannelCount> m_alarms;
    std::array<NoiseFloor, channelplan::kChannelCount> m_noise;
    std::array<bool, channelplan::kChannelCount> m_needsNoise{};
    qint64 m_lastUtcMs = 0;
};

namespace alarms {

// The alarms raised now: [{"channel":30,"mhz":429.5375,"since":"…Z","dbm":-72,"peak_dbm":-70,
// "rule":"…"}], [] when there are none.
QByteArray activeJson(const AlarmEngine &engine);

} // namespace alarms
