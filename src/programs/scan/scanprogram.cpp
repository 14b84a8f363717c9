#include "programs/scan/scanprogram.h"

#include "core/channelplan.h"
#include "engine/alarm/alarmcommands.h"
#include "engine/alarm/alarmlog.h"
#include "engine/alarm/alarmwatch.h"
#include "engine/plan/planreasons.h"
#include "engine/plan/plansearch.h"
#include "engine/port/systemportdevices.h"
#include "engine/protocol/qtseriallink.h"
#include "engine/record/recordingreader.h"
#include "engine/record/surveywarnings.h"
#include "engine/survey/recordingsource.h"
#include "engine/survey/surveyrun.h"
#include "programs/scan/alarmlines.h"
#include "programs/scan/exitcodes.h"
#include "programs/scan/metricsserver.h"
#include "programs/scan/mqttinfojson.h"
#ifdef KVT_WITH_MQTT
#include "programs/scan/mqttalarms.h"
#include "programs/scan/mqttpublisher.h"
#endif
#include "engine/record/plansurvey.h"
#include "programs/scan/portsource.h"
#include "programs/scan/processsignals.h"
#include "programs/scan/receivernaming.h"
#include "programs/scan/scanreport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
constexpr std::chrono::milliseconds kProgressInterval{250};
// QTimer counts in int milliseconds: longer runs are timed in legs of a day.
constexpr std::chrono::milliseconds kLongestLeg{24 * 3600 * 1000};
constexpr int kChangesShown = 5;
constexpr double kMsPerSecond = 1000.0;
// A rate over less than this says little.
constexpr qint64 kShortestRateMs = 1000;

bool stderrIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

} // namespace

ScanProgram::ScanProgram(ScanOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_startedUtcMs(QDateTime::currentMSecsSinceEpoch())
    , m_signals(new ProcessSignals(this))
    , m_durationTimer(new QTimer(this))
    , m_progressTimer(new QTimer(this))
{
    m_durationTimer->setSingleShot(true);
    m_progressTimer->setInterval(kProgressInterval);
    connect(m_signals, &ProcessSignals::stopRequested, this, [this] {
        if (m_run) {
            m_run->stop();
        }
    });
    connect(m_signals, &ProcessSignals::reopenRequested, this, &ScanProgram::reopenFiles);
    connect(m_durationTimer, &QTimer::timeout, this, &ScanProgram::armDurationTimer);
    connect(m_progressTimer, &QTimer::timeout, this, &ScanProgram::showProgress);
    if (!m_options.reportPath.isEmpty()) {
        m_report = std::make_unique<RunReport>(m_options);
    }
}

ScanProgram::~ScanProgram() = default;

void ScanProgram::start()
{
    // The engine also logs why a port would not open; here that reason is the exit message.
    QLoggingCategory::setFilterRules(QStringLiteral("kvt318.serial.warning=false"));
    if (!m_signals->errorString().isEmpty()) {
        tell(m_signals->errorString() + QStringLiteral("; Ctrl+C ends the program at once"));
    }
    if (!openSource() || !openResults() || !startAlarms()) {
        return;
    }
    // A metrics address that cannot be listened on ends the run here.
    if (!startMetrics()) {
        return;
    }
    startPublishing();
    addConsumers();
    m_clock.start();
    if (m_options.duration) {
        armDurationTimer();
    }
    if (!isReplay() && !m_options.quiet && stderrIsTerminal()) {
        m_progressTimer->start();
    }
    startServiceNotes();
    m_run->start();
}

bool ScanProgram::openSource()
{
    std::unique_ptr<SweepSource> source;
    std::optional<int> channelIndex;
    if (isReplay()) {
        RecordingRead read = RecordingReader::readFile(m_options.replayPath);
        if (read.status != RecordingRead::Status::Read) {
            finish(read.status == RecordingRead::Status::OpenFailed ? exitcodes::kCannotOpen
                                                                    : exitcodes::kNotUnderstood,
                   read.error);
            return false;
        }
        // The count goes out even when it is nought, so that a script can rely on the line,
        // unless -q asks for errors and warnings only.
        if (!m_options.quiet) {
            tell(QStringLiteral("%1: %2 records read, %3 damaged lines skipped")
                     .arg(m_options.replayPath)
                     .arg(read.recording.rows())
                     .arg(read.skippedLines));
        }
        if (read.skippedLines > 0) {
            tell(read.firstProblem);
        }
        if (!m_options.baselinePath.isEmpty()) {
            const record::BaselineRead baseline =
                record::readBaseline(m_options.baselinePath, m_options.threshold, m_options.hours);
            if (!baseline.baseline) {
                finish(baseline.openFailed ? exitcodes::kCannotOpen : exitcodes::kNotUnderstood,
                       baseline.error);
                return false;
            }
            m_baseline = baseline.baseline;
        }
        const Recording &recording = read.recording;
        nameReceiver(m_options.receiverName.isEmpty()
                         ? receivernaming::forRecording(recording.receiver(), m_options.replayPath)
                         : m_options.receiverName);
        if (recording.width() == 1) {
            channelIndex = recording.firstIndex();
        }
        const qint64 first = recording.isEmpty() ? 0 : recording.utcMs(0);
        const qint64 from = m_options.from.isEmpty()
                                ? std::numeric_limits<qint64>::min()
                                : scanoptions::parseTime(m_options.from, first).value_or(0);
        const qint64 to = m_options.to.isEmpty()
                              ? std::numeric_limits<qint64>::max()
                              : scanoptions::parseTime(m_options.to, first).value_or(0);
        auto [begin, end] = recording.rowsBetween(from, to);
        if (m_options.sweeps) {
            end = std::min(end, begin + *m_options.sweeps);
        }
        if (begin < end) {
            m_firstUtcMs = recording.utcMs(begin);
        }
        auto replay = std::make_unique<RecordingSource>(std::move(read.recording), begin, end,
                                                        m_options.realtime);
        replay->setGate([this] { return consumersTakeMore(); });
        source = std::move(replay);
    } else {
        if (m_options.channel) {
            channelIndex = channelplan::channelIndex(*m_options.channel);
        }
        m_receiver.port = m_options.port;
        nameReceiver(m_options.receiverName.isEmpty()
                         ? receivernaming::forPort(m_options.port, SystemPortDevices())
                         : m_options.receiverName);
        source = std::make_unique<PortSource>(m_options, std::make_unique<QtSerialLink>());
    }
    m_run = std::make_unique<SurveyRun>(std::move(source), channelIndex, m_options.threshold,
                                        m_options.hours);
    Recorder &recorder = m_run->recorder();
    if (isReplay()) {
        // A replay has time: its records wait for a slow disk rather than fail their file.
        recorder.setWaitForWriter(true);
    } else {
        recorder.setLimit(m_options.sweeps);
    }
    const SweepSource &runSource = m_run->source();
    connect(&runSource, &SweepSource::said, this, &ScanProgram::tell);
    connect(&runSource, &SweepSource::moduleIdentified, this, &ScanProgram::onModuleIdentified);
    connect(&runSource, &SweepSource::runStarted, this, &ScanProgram::onRunStarted);
    connect(&runSource, &SweepSource::runBroken, this, &ScanProgram::onRunBroken);
    connect(&runSource, &SweepSource::ended, this, &ScanProgram::onSourceEnded);
    // Queued: a full queue is found inside the sweep step, which must return first.
    connect(
        &recorder, &Recorder::failed, this,
        [this](const QString &reason) { finish(exitcodes::kWriteFailed, reason); },
        Qt::QueuedConnection);
    connect(&recorder, &Recorder::noticed, this, [this](const FileNotice &notice) {
        tell(scanreport::fileNotice(notice));
        if (notice.kind != FileNotice::Kind::NotDeleted) {
            m_service.setWritingPaused(notice.kind == FileNotice::Kind::Paused);
        }
    });
    return true;
}

void ScanProgram::nameReceiver(const QString &name)
{
    m_receiver.name = name;
    for (QString *path : {&m_options.output, &m_options.summaryPath, &m_options.hourlyPath,
                          &m_options.tracePath, &m_options.pngPath, &m_options.plan.outPath,
                          &m_options.alarms.logPath, &m_options.reportPath}) {
        *path = receivername::expand(*path, name);
    }
    mqttoptions::finish(m_options.mqtt, name);
    m_metrics.setReceiver(m_receiver);
    m_service.setReceiver(name);
    if (m_report) {
        m_report->setReceiver(m_receiver);
    }
}

void ScanProgram::onModuleIdentified(const QString &model, const QString &firmware)
{
    m_receiver.model = model;
    m_receiver.firmware = firmware;
    m_metrics.setReceiver(m_receiver);
    if (m_report) {
        m_report->setReceiver(m_receiver);
    }
}

MqttInfo ScanProgram::mqttInfo() const
{
    MqttInfo info;
    info.receiver = m_receiver;
    if (const std::optional<RadioMode> mode = m_run->source().mode()) {
        info.mode = scanreport::modeName(mode);
    }
    info.version = QStringLiteral("%1.%2.%3")
                       .arg(KVT_VERSION_MAJOR)
                       .arg(KVT_VERSION_MINOR)
                       .arg(KVT_VERSION_PATCH);
    info.startedUtcMs = m_startedUtcMs;
    if (m_sweeping && m_sweepClock.elapsed() >= kShortestRateMs) {
        info.sweepsPerSecond =
            static_cast<double>(m_run->recorder().recorded() - m_recordedAtSweepStart) *
            kMsPerSecond / static_cast<double>(m_sweepClock.elapsed());
    }
    return info;
}

bool ScanProgram::openResults()
{
    QString error = m_results.open();
    if (error.isEmpty() && m_report) {
        error = m_report->open();
    }
    if (!error.isEmpty()) {
        finish(exitcodes::kWriteFailed, error);
    }
    return error.isEmpty();
}

bool ScanProgram::openOutput()
{
    // A replay writes records only when -o or --format asks for them.
    if (isReplay() && !m_options.recordsAsked) {
        return true;
    }
    // A single channel has no sweeps: its readings go out one a row.
    const RecordFormat format = m_run->isSingleChannel() && !record::takesReadings(m_options.format)
                                    ? RecordFormat::Long
                                    : m_options.format;
    // The port tag names the device, as its file does: ttyUSB0, COM3. A replay has none.
    const QString port = m_options.port.startsWith(QLatin1String("/dev/"))
                             ? QFileInfo(m_options.port).fileName()
                             : m_options.port;
    return m_run->recorder().start(
        m_options.output, format,
        WriterSettings{m_options.integrate, port, m_receiver.name, m_options.influxTags},
        m_options.files, m_firstUtcMs);
}

bool ScanProgram::startAlarms()
{
    const AlarmSettings &settings = m_options.alarms;
    if (settings.rules.empty()) {
        return true;
    }
    m_alarms = new AlarmWatch(
        settings.rules,
        m_run->isSingleChannel() ? AlarmWatch::Input::Readings : AlarmWatch::Input::Sweeps, this);
    if (!m_options.quiet) {
        m_alarms->addAction(
            std::make_unique<AlarmLines>([this](const QString &line) { tell(line); }));
    }
    if (!settings.command.isEmpty()) {
        auto commands = std::make_unique<AlarmCommands>(settings.command, settings.commandInterval);
        m_alarmCommands = commands.get();
        connect(m_alarmCommands, &AlarmCommands::said, this, &ScanProgram::tell);
        m_alarms->addAction(std::move(commands));
    }
    if (!settings.logPath.isEmpty()) {
        // The log keeps the records' floor: a full disk pauses both.
        auto log = std::make_unique<AlarmLog>(settings.logPath, m_options.files.minFreeBytes);
        if (!log->open()) {
            finish(exitcodes::kWriteFailed, log->errorString());
            return false;
        }
        m_alarmLog = log.get();
        connect(m_alarmLog, &AlarmLog::noticed, this,
                [this](const FileNotice &notice) { tell(scanreport::fileNotice(notice)); });
        m_alarms->addAction(std::move(log));
    }
    // Queued: a log that fails is found inside the sweep step, which must return first.
    connect(
        m_alarms, &AlarmWatch::failed, this,
        [this](const QString &reason) { finish(exitcodes::kWriteFailed, reason); },
        Qt::QueuedConnection);
    return true;
}

void ScanProgram::startPublishing()
{
#ifdef KVT_WITH_MQTT
    if (!m_options.mqtt) {
        return;
    }
    m_publisher = std::make_unique<MqttPublisher>(*m_options.mqtt, m_run->statistics(),
                                                  [this] { return mqttInfo(); });
    if (m_alarms != nullptr) {
        m_alarms->addAction(std::make_unique<MqttAlarms>(*m_publisher, m_alarms->engine()));
    }
    connect(m_publisher.get(), &MqttPublisher::refused, this, [this](const QString &reason) {
        finish(exitcodes::kBrokerRefused,
               brokerName() + QStringLiteral(" refused the connection: ") + reason);
    });
    // One line when the broker goes away and one when it is back, not one per retry.
    connect(m_publisher.get(), &MqttPublisher::connectionLost, this, [this](const QString &reason) {
        if (!m_brokerAway) {
            tell(brokerName() + QStringLiteral(": ") + reason +
                 QStringLiteral("; sweeps wait for it, retrying"));
        }
        m_brokerAway = true;
        m_service.setBrokerLost(true);
    });
    connect(m_publisher.get(), &MqttPublisher::connected, this, [this] {
        if (m_brokerAway) {
            tell(brokerName() + QStringLiteral(": publishing again"));
        }
        m_brokerAway = false;
        m_service.setBrokerLost(false);
    });
#endif
}

bool ScanProgram::startMetrics()
{
    if (!m_options.metrics) {
        return true;
    }
    m_metricsServer = new MetricsServer([this] { return metricsText(); }, this);
    if (!m_metricsServer->start(*m_options.metrics)) {
        finish(exitcodes::kMetricsFailed,
               QStringLiteral("--metrics ") + m_metricsServer->errorString());
        return false;
    }
    return true;
}

void ScanProgram::addConsumers()
{
    if (m_alarms != nullptr) {
        // An action that fails says so through failed().
        m_run->addConsumer({[this](const SweepRecord &sweep) { m_alarms->addSweep(sweep); },
                            [this](const Reading &reading) { m_alarms->addReading(reading); },
                            [this](const QString &reason) { m_alarms->end(reason); }});
    }
#ifdef KVT_WITH_MQTT
    if (m_publisher) {
        m_run->addConsumer(
            {[this](const SweepRecord &sweep) { m_publisher->publishSweep(sweep); }, {}, {}});
    }
#endif
    if (m_report) {
        m_report->follow(*m_run, m_alarms);
    }
    if (m_metricsServer != nullptr) {
        m_run->addConsumer({[this](const SweepRecord &sweep) { m_metrics.addSweep(sweep); },
                            [this](const Reading &reading) { m_metrics.addReading(reading); },
                            {}});
    }
}

bool ScanProgram::consumersTakeMore() const
{
#ifdef KVT_WITH_MQTT
    // Away, the broker would have the queue drop the oldest sweeps: the replay waits for it.
    return !m_publisher || (m_publisher->isConnected() && m_publisher->hasRoom());
#else
    return true;
#endif
}

void ScanProgram::startServiceNotes()
{
    const QString name = isReplay() ? m_options.replayPath : m_options.port;
    m_service.waitingFor(name);
    m_service.ready();
}

void ScanProgram::onRunStarted()
{
    // The records begin with the first sweep: a module that never answers leaves no file.
    if (!m_swept && !openOutput()) {
        finish(exitcodes::kWriteFailed, m_run->recorder().lastError());
        return;
    }
    m_swept = true;
    m_sweeping = true;
    m_recordedAtSweepStart = m_run->recorder().recorded();
    m_sweepClock.start();
#ifdef KVT_WITH_MQTT
    // The mode, and from a port the module, are known now.
    if (m_publisher) {
        m_publisher->publishInfo();
    }
#endif
    if (!m_exitCode) {
        const QString unit =
            m_run->isSingleChannel() ? QStringLiteral("readings") : QStringLiteral("sweeps");
        m_service.sweeping(scanreport::modeName(m_run->source().mode()), unit,
                           [this] { return m_run->recorder().recorded(); });
    }
}

void ScanProgram::onRunBroken()
{
    m_sweeping = false;
    m_service.waitingFor(isReplay() ? m_options.replayPath : m_options.port);
}

void ScanProgram::onSourceEnded(const SourceEnd &end)
{
    finish(exitcodes::of(end.kind), end.message);
}

void ScanProgram::reopenFiles()
{
    if (m_exitCode || !m_run) {
        return;
    }
    // The output reopens on its writer's thread, between two rows; a failure comes as failed().
    m_run->recorder().reopen();
    if (m_alarmLog != nullptr && !m_alarmLog->reopen()) {
        finish(exitcodes::kWriteFailed, m_alarmLog->errorString());
    }
}

void ScanProgram::armDurationTimer()
{
    const auto elapsed = std::chrono::milliseconds(m_clock.elapsed());
    if (elapsed >= *m_options.duration) {
        m_run->stop();
        return;
    }
    m_durationTimer->start(std::min(*m_options.duration - elapsed, kLongestLeg));
}

void ScanProgram::finish(int exitCode, const QString &message)
{
    if (m_exitCode) {
        return;
    }
    m_service.stopping();
    if (m_run) {
        // A consumer that fails stops the run; the source's own end must not overwrite that.
        disconnect(&m_run->source(), &SweepSource::ended, this, &ScanProgram::onSourceEnded);
        m_run->stop();
    }
    m_sweeping = false;
    m_durationTimer->stop();
    m_progressTimer->stop();
    clearProgress();
    int code = exitCode;
    if (!message.isEmpty()) {
        tell(message);
    }
    if (m_run && !finishRecording() && code == exitcodes::kFinished) {
        code = exitcodes::kWriteFailed;
    }
    if (m_swept && !writeResults() && code == exitcodes::kFinished) {
        code = exitcodes::kWriteFailed;
    }
    if (m_alarms != nullptr) {
        if (!m_alarms->end(message.isEmpty() ? m_run->source().endReason() : message)) {
            tell(m_alarms->errorString());
            code = code == exitcodes::kFinished ? exitcodes::kWriteFailed : code;
        }
    }
    if (m_alarmCommands != nullptr) {
        m_alarmCommands->finish();
    }
    if (m_swept && !m_options.quiet) {
        std::fputs(qPrintable(scanreport::receiverLine(m_receiver) +
                              scanreport::statisticsTable(m_run->statistics())),
                   stderr);
        if (m_baseline) {
            std::fputs(qPrintable(scanreport::baselineChanges(m_run->statistics(), *m_baseline,
                                                              kChangesShown)),
                       stderr);
        }
    }
    // Warnings are not progress: --quiet keeps them.
    if (m_swept) {
        for (const QString &line : warningLines(surveyWarnings(m_run->statistics()))) {
            tell(QStringLiteral("warning: ") + line);
        }
    }
    if (m_swept && m_options.plan.constraints) {
        code = writePlan(code);
    }
    code = writeReport(code);
#ifdef KVT_WITH_MQTT
    if (m_publisher) {
        if (const qint64 undelivered = m_publisher->finish(); undelivered > 0) {
            tell(brokerName() + QStringLiteral(": sweeps still queued at the end, not delivered "
                                               "and counted as dropped: %1")
                                    .arg(undelivered));
        }
    }
#endif
    m_exitCode = code;
    QCoreApplication::exit(code);
}

bool ScanProgram::finishRecording()
{
    // A file that fails in its last rows is told here: the event loop is ending.
    Recorder &recorder = m_run->recorder();
    bool failed = false;
    const QMetaObject::Connection lastWords =
        connect(&recorder, &Recorder::failed, this, [this, &failed](const QString &reason) {
            tell(reason);
            failed = true;
        });
    const QList<Recorder::Unwritten> unwritten = recorder.finish();
    disconnect(lastWords);
    for (const Recorder::Unwritten &file : unwritten) {
        tell(QStringLiteral("%1: rows not written within %2 s: %3")
                 .arg(file.name)
                 .arg(std::chrono::seconds(Recorder::kShutdownLimit).count())
                 .arg(file.rows));
    }
    return !failed && unwritten.isEmpty();
}

bool ScanProgram::writeResults()
{
    const QStringList errors =
        m_results.write(m_run->statistics(), m_run->levels(), m_baseline ? &*m_baseline : nullptr);
    for (const QString &error : errors) {
        tell(error);
    }
    return errors.isEmpty();
}

int ScanProgram::writePlan(int exitCode)
{
    const PlanConstraints &constraints = *m_options.plan.constraints;
    const PlanSurvey survey = plansurvey::fromStatistics(m_run->statistics());
    // Records, summary and alarms are complete; a search that a request with many spares makes
    // long must not outlast a Ctrl+C or a service stop.
    m_signals->stopAtOnce();
    PlanSearch search(survey, constraints);
    const PlanReport report = plan::explain(survey, constraints, search.solve());
    if (m_report) {
        m_report->setPlan({report, survey});
    }
    // Asked for explicitly, the plan is shown even with --quiet.
    std::fputs(qPrintable(scanreport::planTable(report, survey, m_options.hours.text())), stderr);
    if (const QString error = m_results.writePlan(report, survey); !error.isEmpty()) {
        tell(error);
        return exitCode == exitcodes::kFinished ? exitcodes::kWriteFailed : exitCode;
    }
    return exitCode == exitcodes::kFinished && !report.result.feasible ? exitcodes::kPlanShort
                                                                       : exitCode;
}

int ScanProgram::writeReport(int exitCode)
{
    if (!m_report || !m_run) {
        return exitCode;
    }
    const RunReport::Outcome outcome = m_report->write(*m_run);
    // A run that failed has said why; that it left nothing to report goes without saying.
    if (outcome.error.isEmpty() || (outcome.empty && exitCode != exitcodes::kFinished)) {
        return exitCode;
    }
    tell(outcome.error);
    if (exitCode != exitcodes::kFinished) {
        return exitCode;
    }
    return outcome.empty ? exitcodes::kNothingToReport : exitcodes::kWriteFailed;
}

QByteArray ScanProgram::metricsText()
{
    const Recorder &recorder = m_run->recorder();
    m_metrics.setUp(m_sweeping);
    std::optional<qint64> last;
    if (recorder.lastSweep()) {
        last = recorder.lastSweep()->utcMs;
    } else if (recorder.lastReading()) {
        last = recorder.lastReading()->utcMs;
    }
    m_metrics.setSweeps(recorder.recorded(), last);
    m_metrics.setRowsWritten(recorder.rowsWritten());
    m_metrics.setRowsDropped(recorder.droppedRows());
#ifdef KVT_WITH_MQTT
    if (m_publisher) {
        m_metrics.setMqttDropped(m_publisher->droppedSweeps());
    }
#endif
    if (m_alarms != nullptr) {
        ScanMetrics::Alarms alarms;
        for (const AlarmEngine::Active &alarm : m_alarms->active()) {
            ++alarms.raised[static_cast<std::size_t>(alarm.index)];
        }
        alarms.events = m_alarms->eventCounts();
        m_metrics.setAlarms(alarms);
    }
    return m_metrics.render(m_run->statistics());
}

void ScanProgram::showProgress()
{
    const Recorder &recorder = m_run->recorder();
    scanreport::Progress progress;
    progress.elapsed = std::chrono::milliseconds(m_clock.elapsed());
    progress.records = recorder.recorded();
    progress.singleChannel = m_run->isSingleChannel();
    progress.mode = m_run->source().mode();
#ifdef KVT_WITH_MQTT
    if (m_publisher) {
        progress.droppedSweeps = m_publisher->droppedSweeps();
    }
#endif
    if (recorder.lastSweep()) {
        progress.lastSweep = &*recorder.lastSweep();
    }
    if (recorder.lastReading()) {
        progress.lastReading = &*recorder.lastReading();
    }
    std::fputs(qPrintable(QLatin1Char('\r') + scanreport::progressLine(progress) +
                          QLatin1String("\x1b[K")),
               stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void ScanProgram::clearProgress()
{
    if (m_progressShown) {
        std::fputs("\r\x1b[K", stderr);
        m_progressShown = false;
    }
}

void ScanProgram::tell(const QString &line)
{
    clearProgress();
    std::fputs(qPrintable(QStringLiteral("kvt318-scan: ") + line + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

QString ScanProgram::brokerName() const
{
#ifdef KVT_WITH_MQTT
    if (m_options.mqtt && !isReplay()) {
        const MqttUrl &broker = m_options.mqtt->broker;
        return QStringLiteral("broker %1:%2").arg(broker.host).arg(broker.port);
    }
#endif
    return QStringLiteral("the broker");
}
