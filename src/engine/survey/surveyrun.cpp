#include "engine/survey/surveyrun.h"

#include "engine/survey/sweepsource.h"

SurveyRun::SurveyRun(std::unique_ptr<SweepSource> source, std::optional<int> channelIndex,
                     const OccupancyThreshold &threshold, const HourWindows &hours, QObject *parent)
    : QObject(parent)
    , m_statistics(threshold, hours)
    , m_source(std::move(source))
    , m_singleChannel(channelIndex.has_value())
{
    m_recorder.setChannel(channelIndex);
    m_levels.setCursor(channelIndex);
    // The statistics count what the records hold, so that a replay of them agrees: whole
    // sweeps at their time, or each reading of a single channel.
    addConsumer({[this](const SweepRecord &sweep) { m_statistics.addSweep(sweep); },
                 [this](const Reading &reading) { m_statistics.addReading(reading); },
                 // Nothing is known of the gap: no burst goes on across it.
                 [this](const QString &) { m_statistics.breakBursts(); }});
    addConsumer({[this](const SweepRecord &sweep) { m_levels.addSweep(sweep); },
                 [this](const Reading &reading) { m_levels.addReading(reading); },
                 {}});

    connect(m_source.get(), &SweepSource::reading, &m_recorder, &Recorder::addReading);
    connect(m_source.get(), &SweepSource::sweep, &m_recorder, &Recorder::addSweep);
    connect(m_source.get(), &SweepSource::runStarted, &m_recorder, &Recorder::startRun);
    connect(m_source.get(), &SweepSource::runBroken, this, &SurveyRun::breakRun);
    if (m_singleChannel) {
        connect(&m_recorder, &Recorder::readingTaken, this, &SurveyRun::handOnReading);
    } else {
        connect(&m_recorder, &Recorder::sweepRecorded, this, &SurveyRun::handOnSweep);
    }
    // Queued: the limit is found inside the sweep step, which must return first.
    connect(&m_recorder, &Recorder::limitReached, this, &SurveyRun::stop, Qt::QueuedConnection);
}

SurveyRun::~SurveyRun() = default;

void SurveyRun::addConsumer(Consumer consumer)
{
    m_consumers.push_back(std::move(consumer));
}

void SurveyRun::start()
{
    m_source->start();
}

void SurveyRun::stop()
{
    m_source->stop();
}

void SurveyRun::handOnSweep(const SweepRecord &sweep)
{
    for (const Consumer &consumer : m_consumers) {
        if (consumer.sweep) {
            consumer.sweep(sweep);
        }
    }
}

void SurveyRun::handOnReading(const Reading &reading)
{
    for (const Consumer &consumer : m_consumers) {
        if (consumer.reading) {
            consumer.reading(reading);
        }
    }
}

void SurveyRun::breakRun(const QString &reason)
{
    for (const Consumer &consumer : m_consumers) {
        if (consumer.runBroken) {
            consumer.runBroken(reason);
        }
    }
}
