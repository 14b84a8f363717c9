#pragma once

#include "engine/record/baseline.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/recording.h"
#include "programs/scan/runresults.h"
#include "programs/scan/scanoptions.h"

#include <QObject>

#include <array>
#include <memory>
#include <optional>

class AlarmCommands;
class AlarmLog;
class AlarmWatch;
class MqttPublisher;
class OutputFile;
class QTimer;
class ProcessSignals;

// kvt318-scan --replay: reads a recording, hands its sweeps in the chosen span to the same
// statistics and outputs as a live run (as fast as they take them, or at the recorded pace),
// then writes the summary, the chart image and the table, and quits with the exit status.
class Replayer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWriteFailed = 1;
    static constexpr int kOpenFailed = 3;
    static constexpr int kNotRecording = 4;
    static constexpr int kBrokerRefused = 6;

    explicit Replayer(ScanOptions options, QObject *parent = nullptr);
    ~Replayer() override;

    // Reads the files and starts the replay; the run may end within it.
    void start();
    [[nodiscard]] std::optional<int> exitCode() const { return m_exitCode; }

private:
    bool load();
    bool openFiles();
    // SIGHUP: the records and the alarm log are ended and opened again at their names.
    void reopenFiles();
    void startPublishing();
    bool startAlarms();
    void feed();
    bool replayRow(qint64 row);
    void finish(int exitCode, const QString &message);
    bool writeResults();
    void tell(const QString &line);

    ScanOptions m_options;
    RunResults m_results{m_options};
    Recording m_recording;
    std::optional<Baseline> m_baseline;
    ChannelStatistics m_statistics;
    std::unique_ptr<OutputFile> m_output;
    MqttPublisher *m_publisher = nullptr;
    AlarmWatch *m_alarms = nullptr;
    // Owned by the watch.
    AlarmLog *m_alarmLog = nullptr;
    AlarmCommands *m_alarmCommands = nullptr;
    ProcessSignals *m_signals = nullptr;
    QTimer *m_feedTimer = nullptr;
    qint64 m_next = 0;
    qint64 m_end = 0;
    std::array<qint16, channelplan::kChannelCount> m_latest{};
    std::array<qint16, channelplan::kChannelCount> m_highest{};
    std::optional<int> m_exitCode;
};
