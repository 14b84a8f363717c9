#pragma once

#include "engine/record/baseline.h"
#include "engine/record/receiveridentity.h"
#include "programs/scan/runreport.h"
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
class ProcessSignals;
class SurveyRun;
struct MqttInfo;
struct SourceEnd;

// kvt318-scan from start to exit, whatever its source: a module on a port or a recording read
// back. It builds the run, registers its consumers (alarms, the broker, metrics), opens the
// files, runs until the source ends, a limit, a signal or a failure (reopening the files at
// SIGHUP), then writes the summary, the trace, the chart image and the table, and quits the
// event loop with the exit status.
class ScanProgram : public QObject
{
    Q_OBJECT

public:
    explicit ScanProgram(ScanOptions options, QObject *parent = nullptr);
    ~ScanProgram() override;

    // Opens everything and starts the run, which may end within it.
    void start();
    // The exit status once the run has ended.
    [[nodiscard]] std::optional<int> exitCode() const { return m_exitCode; }

private:
    [[nodiscard]] bool isReplay() const { return !m_options.replayPath.isEmpty(); }
    bool openSource();
    // The receiver's name known: it goes into the file names, the topics and the status.
    void nameReceiver(const QString &name);
    void onModuleIdentified(const QString &model, const QString &firmware);
    [[nodiscard]] MqttInfo mqttInfo() const;
    bool openResults();
    bool openOutput();
    bool startAlarms();
    void startPublishing();
    bool startMetrics();
    void addConsumers();
    // Ready, and the state from now on, for the service manager.
    void startServiceNotes();
    // A replay hands a sweep on only once the broker takes it without dropping it; its records
    // wait for their disk themselves.
    [[nodiscard]] bool consumersTakeMore() const;
    void onRunStarted();
    void onRunBroken();
    void onSourceEnded(const SourceEnd &end);
    // SIGHUP: the output and the alarm log are ended and opened again at their names.
    void reopenFiles();
    void finish(int exitCode, const QString &message);
    // Waits a bounded time for the queued rows; false when some could not be written.
    bool finishRecording();
    bool writeResults();
    // At the end, the channel plan on standard error and in its file; the exit status after it.
    int writePlan(int exitCode);
    // At the end, the report when one is asked for; the exit status after it.
    int writeReport(int exitCode);
    void armDurationTimer();
    void showProgress();
    void clearProgress();
    void tell(const QString &line);
    [[nodiscard]] QString brokerName() const;
    [[nodiscard]] QByteArray metricsText();

    ScanOptions m_options;
    RunResults m_results{m_options};
    ReceiverIdentity m_receiver;
    const qint64 m_startedUtcMs;
    // The sweeps recorded when the sweep last began, and how long it has run since.
    qint64 m_recordedAtSweepStart = 0;
    QElapsedTimer m_sweepClock;
    std::optional<Baseline> m_baseline;
    std::unique_ptr<RunReport> m_report;
    // A replay's first sweep: its rotated files are those of the times it holds, as the live
    // run's were.
    std::optional<qint64> m_firstUtcMs;
    // The consumers below read the run's statistics: the run goes last.
    std::unique_ptr<SurveyRun> m_run;
    AlarmWatch *m_alarms = nullptr;
    // Owned by the watch.
    AlarmLog *m_alarmLog = nullptr;
    AlarmCommands *m_alarmCommands = nullptr;
#ifdef KVT_WITH_MQTT
    std::unique_ptr<MqttPublisher> m_publisher;
#endif
    ScanMetrics m_metrics;
    MetricsServer *m_metricsServer = nullptr;
    ProcessSignals *m_signals = nullptr;
    QTimer *m_durationTimer = nullptr;
    QTimer *m_progressTimer = nullptr;
    QElapsedTimer m_clock;
    bool m_swept = false;
    bool m_sweeping = false;
    bool m_progressShown = false;
    bool m_brokerAway = false;
    std::optional<int> m_exitCode;
    ServiceNotifier m_service;
};
