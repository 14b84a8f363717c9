#pragma once

#include "engine/record/channelstatistics.h"
#include "engine/record/recorder.h"
#include "engine/survey/heldlevels.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SweepSource;

// One survey from its source to its consumers. The source's readings are gathered into
// complete sweeps by the recorder (a recording gives them whole), which also keeps the records'
// file; every complete sweep, or with a single channel every reading, then goes to each
// consumer in the order they were added: first the run's own statistics and held levels, then
// the program's (alarms, the broker, metrics). A break in the source ends every burst and is
// told to the consumers.
class SurveyRun : public QObject
{
    Q_OBJECT

public:
    // What one consumer takes; what it has no use for stays empty.
    struct Consumer
    {
        std::function<void(const SweepRecord &)> sweep;
        // Only in a single-channel run, which has no sweeps.
        std::function<void(const Reading &)> reading;
        std::function<void(const QString &reason)> runBroken;
    };

    // channelIndex: a single-channel run of that channel. The statistics count the readings
    // inside the hours against the threshold.
    SurveyRun(std::unique_ptr<SweepSource> source, std::optional<int> channelIndex,
              const OccupancyThreshold &threshold, const HourWindows &hours,
              QObject *parent = nullptr);
    ~SurveyRun() override;
    SurveyRun(const SurveyRun &) = delete;
    SurveyRun &operator=(const SurveyRun &) = delete;

    void addConsumer(Consumer consumer);

    void start();
    // Ends the source cleanly; its ended() follows unless it had ended already.
    void stop();

    [[nodiscard]] SweepSource &source() const { return *m_source; }
    [[nodiscard]] Recorder &recorder() { return m_recorder; }
    [[nodiscard]] const Recorder &recorder() const { return m_recorder; }
    [[nodiscard]] const ChannelStatistics &statistics() const { return m_statistics; }
    [[nodiscard]] const MonitorState &levels() const { return m_levels.state(); }
    [[nodiscard]] bool isSingleChannel() const { return m_singleChannel; }

private:
    void handOnSweep(const SweepRecord &sweep);
    void handOnReading(const Reading &reading);
    void breakRun(const QString &reason);

    ChannelStatistics m_statistics;
    HeldLevels m_levels;
    // Fed by the source, which therefore goes first.
    Recorder m_recorder;
    std::unique_ptr<SweepSource> m_source;
    std::vector<Consumer> m_consumers;
    bool m_singleChannel = false;
};
