#pragma once

#include "engine/record/channelstatistics.h"
#include "programs/scan/runresults.h"
#include "programs/scan/scanmetrics.h"
#include "programs/scan/scanoptions.h"
#include "programs/scan/servicenotifier.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <optional>

class QTimer;
class AlarmCommands;
class AlarmLog;
class AlarmWatch;
class MetricsServer;
class MqttPublisher;
class Recorder;
class ScanRun;
class ProcessSignals;

// kvt318-scan from start to exit: opens the files, runs the recording until a limit, a
// signal or a failure (reopening the files at SIGHUP), then writes the summary, the chart image
// and the table, and quits the event loop with the exit status.
class Scanner : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWriteFailed = 1;
    static constexpr int kBrokerRefused = 6;
    static constexpr int kMetricsFailed = 7;

    explicit Scanner(ScanOptions options, QObject *parent = nullptr);
    ~Scanner() override;

    // False when the summary or image file cannot be opened; the reason is on standard error.
    [[nodiscard]] bool start();
    // The exit status once the run has ended, which can happen within start().
    [[nodiscard]] std::optional<int> exitCode() const { return m_exitCode; }

private:
    bool openFiles();
    bool openOutput();
    // SIGHUP: the output and the alarm log are ended and opened again at their names.
    void reopenFiles();
    void finish(int exitCode, const QString &message);
    // Waits a bounded time for the queued rows; false when some could not be written.
    bool finishRecording();
    bool writeResults();
    void armDurationTimer();
    void showProgress();
    void clearProgress();
    void tell(const QString &line);
    void startPublishing();
    bool startAlarms();
    bool startMetrics();
    // Ready, and the state from now on, for the service manager.
    void startServiceNotes();
    [[nodiscard]] QByteArray metricsText();

    ScanOptions m_options;
    RunResults m_results{m_options};
    // The recorder and the publisher use the statistics: declared after them, they go first.
    ChannelStatistics m_statistics;
    std::unique_ptr<Recorder> m_recorder;
    AlarmWatch *m_alarms = nullptr;
    // Owned by the watch.
    AlarmLog *m_alarmLog = nullptr;
    AlarmCommands *m_alarmCommands = nullptr;
#ifdef KVT_WITH_MQTT
    std::unique_ptr<MqttPublisher> m_publisher;
#endif
    ScanMetrics m_metrics;
    MetricsServer *m_metricsServer = nullptr;
    // The run feeds the recorder: it goes first.
    std::unique_ptr<ScanRun> m_run;
    ProcessSignals *m_signals = nullptr;
    QTimer *m_durationTimer = nullptr;
    QTimer *m_progressTimer = nullptr;
    QElapsedTimer m_clock;
    bool m_swept = false;
    bool m_sweeping = false;
    bool m_interrupted = false;
    bool m_progressShown = false;
    std::optional<int> m_exitCode;
    bool m_brokerAway = false;
    ServiceNotifier m_service;
};
