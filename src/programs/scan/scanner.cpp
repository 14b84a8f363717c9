#include "programs/scan/scanner.h"
#include "core/channelplan.h"

#include "engine/alarm/alarmcommands.h"
#include "engine/alarm/alarmlog.h"
#include "engine/alarm/alarmwatch.h"
#include "engine/protocol/qtseriallink.h"
#include "engine/protocol/sweepengine.h"
#include "engine/record/recorder.h"
#include "programs/scan/alarmlines.h"
#include "programs/scan/metricsserver.h"
#ifdef KVT_WITH_MQTT
#include "programs/scan/mqttalarms.h"
#include "programs/scan/mqttpublisher.h"
#endif
#include "programs/scan/processsignals.h"
#include "programs/scan/scanreport.h"
#include "programs/scan/scanrun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
constexpr std::chrono::milliseconds kProgressInterval{250};
// QTimer counts in int milliseconds: longer runs are timed in legs of a day.
constexpr std::chrono::milliseconds kLongestLeg{24 * 3600 * 1000};

bool stderrIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

} // namespace

Scanner::Scanner(ScanOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_statistics(m_options.threshold)
    , m_recorder(std::make_unique<Recorder>())
    , m_run(std::make_unique<ScanRun>(m_options, std::make_unique<QtSerialLink>()))
    , m_signals(new ProcessSignals(this))
    , m_durationTimer(new QTimer(this))
    , m_progressTimer(new QTimer(this))
{
    if (m_options.channel) {
        m_recorder->setChannel(channelplan::channelIndex(*m_options.channel));
    }
    m_recorder->setLimit(m_options.sweeps);
    m_durationTimer->setSingleShot(true);
    m_progressTimer->setInterval(kProgressInterval);

    const SweepEngine &engine = m_run->engine();
    connect(&engine, &SweepEngine::readingStored, m_recorder.get(), &Recorder::addReading);
    connect(&engine, &SweepEngine::runStarted, m_recorder.get(), &Recorder::startRun);
    // The statistics count what the records hold, so that a replay of them agrees: whole
    // sweeps at their time, or each reading of a single channel.
    connect(m_recorder.get(), &Recorder::sweepRecorded, this,
            [this](const SweepRecord &sweep) { m_statistics.addSweep(sweep); });
    if (m_options.channel) {
        connect(m_recorder.get(), &Recorder::readingTaken, this,
                [this](const Reading &reading) { m_statistics.addReading(reading); });
    }
    connect(&engine, &SweepEngine::readingStored, this,
            [this](const Reading &reading) { m_metrics.addReading(reading); });
    connect(m_run.get(), &ScanRun::sweeping, this, [this] {
        // The records begin with the first sweep: a module that never answers leaves no file.
        if (!m_swept && !openOutput()) {
            finish(kWriteFailed, m_recorder->lastError());
            return;
        }
        if (m_interrupted) {
            tell(QStringLiteral("%1: sweeping again").arg(m_options.port));
        }
        m_swept = true;
        m_sweeping = true;
        m_interrupted = false;
    });
    connect(m_run.get(), &ScanRun::interrupted, this, [this](const QString &reason) {
        m_interrupted = true;
        m_sweeping = false;
        // Nothing is known of the gap: no burst goes on across it.
        m_statistics.breakBursts();
        tell(reason + QStringLiteral("; reopening it once a second"));
    });
    connect(m_run.get(), &ScanRun::portMoved, this, &Scanner::tell);
    connect(m_run.get(), &ScanRun::ended, this, &Scanner::finish);
    connect(m_recorder.get(), &Recorder::limitReached, m_run.get(), &ScanRun::stop,
            Qt::QueuedConnection);
    // Queued: a full queue is found inside the sweep step, which must return first.
    connect(
        m_recorder.get(), &Recorder::failed, this,
        [this](const QString &reason) { finish(kWriteFailed, reason); }, Qt::QueuedConnection);
    connect(m_signals, &ProcessSignals::stopRequested, m_run.get(), &ScanRun::stop);
    connect(m_signals, &ProcessSignals::reopenRequested, this, &Scanner::reopenFiles);
    connect(m_recorder.get(), &Recorder::noticed, this, [this](const FileNotice &notice) {
        tell(scanreport::fileNotice(notice));
        if (notice.kind != FileNotice::Kind::NotDeleted) {
            m_service.setWritingPaused(notice.kind == FileNotice::Kind::Paused);
        }
    });
    connect(m_durationTimer, &QTimer::timeout, this, &Scanner::armDurationTimer);
    connect(m_progressTimer, &QTimer::timeout, this, &Scanner::showProgress);
}

void Scanner::startPublishing()
{
#ifdef KVT_WITH_MQTT
    if (!m_options.mqtt) {
        return;
    }
    const MqttUrl &broker = m_options.mqtt->broker;
    const QString name = QStringLiteral("broker %1:%2").arg(broker.host).arg(broker.port);
    m_publisher = std::make_unique<MqttPublisher>(*m_options.mqtt, m_statistics);
    if (m_alarms != nullptr) {
        m_alarms->addAction(std::make_unique<MqttAlarms>(*m_publisher, m_alarms->engine()));
    }
    connect(m_recorder.get(), &Recorder::sweepRecorded, m_publisher.get(),
            &MqttPublisher::publishSweep);
    connect(m_publisher.get(), &MqttPublisher::refused, this, [this, name](const QString &reason) {
        finish(kBrokerRefused, name + QStringLiteral(" refused the connection: ") + reason);
    });
    // One line when the broker goes away and one when it is back, not one per retry.
    connect(m_publisher.get(), &MqttPublisher::connectionLost, this,
            [this, name](const QString &reason) {
                if (!m_brokerAway) {
                    tell(name + QStringLiteral(": ") + reason +
                         QStringLiteral("; sweeps wait for it, retrying"));
                }
                m_brokerAway = true;
                m_service.setBrokerLost(true);
            });
    connect(m_publisher.get(), &MqttPublisher::connected, this, [this, name] {
        if (m_brokerAway) {
            tell(name + QStringLiteral(": publishing again"));
        }
        m_brokerAway = false;
        m_service.setBrokerLost(false);
    });
#endif
}

bool Scanner::startAlarms()
{
    const AlarmSettings &settings = m_options.alarms;
    if (settings.rules.empty()) {
        return true;
    }
    m_alarms = new AlarmWatch(
        settings.rules, m_options.channel ? AlarmWatch::Input::Readings : AlarmWatch::Input::Sweeps,
        this);
    if (!m_options.quiet) {
        m_alarms->addAction(
            std::make_unique<AlarmLines>([this](const QString &line) { tell(line); }));
    }
    if (!settings.command.isEmpty()) {
        auto commands = std::make_unique<AlarmCommands>(settings.command, settings.commandInterval);
        m_alarmCommands = commands.get();
        connect(m_alarmCommands, &AlarmCommands::said, this, &Scanner::tell);
        m_alarms->addAction(std::move(commands));
    }
    if (!settings.logPath.isEmpty()) {
        auto log = std::make_unique<AlarmLog>(settings.logPath, m_options.files.minFreeBytes);
        if (!log->open()) {
            tell(log->errorString());
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
        [this](const QString &reason) { finish(kWriteFailed, reason); }, Qt::QueuedConnection);
    connect(m_recorder.get(), &Recorder::readingTaken, m_alarms, &AlarmWatch::addReading);
    connect(m_recorder.get(), &Recorder::sweepRecorded, m_alarms, &AlarmWatch::addSweep);
    connect(m_run.get(), &ScanRun::interrupted, m_alarms, &AlarmWatch::end);
    return true;
}

Scanner::~Scanner() = default;

bool Scanner::start()
{
    // The engine also logs why a port would not open; here that reason is the exit message.
    QLoggingCategory::setFilterRules(QStringLiteral("kvt318.serial.warning=false"));
    if (!m_signals->errorString().isEmpty()) {
        tell(m_signals->errorString() + QStringLiteral("; Ctrl+C ends the program at once"));
    }
    if (!openFiles() || !startAlarms()) {
        return false;
    }
    // A metrics address that cannot be listened on ends the run here; exitCode() says so.
    if (!startMetrics()) {
        return true;
    }
    startPublishing();
    m_clock.start();
    if (m_options.duration) {
        armDurationTimer();
    }
    if (!m_options.quiet && stderrIsTerminal()) {
        m_progressTimer->start();
    }
    startServiceNotes();
    m_run->start();
    return true;
}

bool Scanner::startMetrics()
{
    if (!m_options.metrics) {
        return true;
    }
    m_metricsServer = new MetricsServer([this] { return metricsText(); }, this);
    if (!m_metricsServer->start(*m_options.metrics)) {
        finish(kMetricsFailed, QStringLiteral("--metrics ") + m_metricsServer->errorString());
        return false;
    }
    return true;
}

QByteArray Scanner::metricsText()
{
    m_metrics.setUp(m_sweeping);
    std::optional<qint64> last;
    if (m_recorder->lastSweep()) {
        last = m_recorder->lastSweep()->utcMs;
    } else if (m_recorder->lastReading()) {
        last = m_recorder->lastReading()->utcMs;
    }
    m_metrics.setSweeps(m_recorder->recorded(), last);
    m_metrics.setRowsWritten(m_recorder->rowsWritten());
    m_metrics.setRowsDropped(m_recorder->droppedRows());
#ifdef KVT_WITH_MQTT
    if (m_publisher != nullptr) {
        m_metrics.setMqttDropped(m_publisher->droppedSweeps());
    }
#endif
    if (m_alarms != nullptr) {
        ScanMetrics::Alarms alarms;
        for (const AlarmEngine::Active &alarm : m_alarms->engine().active()) {
            ++alarms.raised[static_cast<std::size_t>(alarm.index)];
        }
        alarms.events = m_alarms->eventCounts();
        m_metrics.setAlarms(alarms);
    }
    return m_metrics.render(m_statistics);
}

void Scanner::startServiceNotes()
{
    const QString unit = m_options.channel ? QStringLiteral("readings") : QStringLiteral("sweeps");
    connect(m_run.get(), &ScanRun::sweeping, &m_service, [this, unit] {
        if (!m_exitCode) {
            m_service.sweeping(scanreport::modeName(m_run->mode()), unit,
                               [this] { return m_recorder->recorded(); });
        }
    });
    connect(m_run.get(), &ScanRun::interrupted, &m_service,
            [this] { m_service.waitingFor(m_options.port); });
    m_service.waitingFor(m_options.port);
    m_service.ready();
}

bool Scanner::openOutput()
{
    // A single channel has no sweeps: its readings go out one a row.
    const RecordFormat format = m_options.channel && !record::takesReadings(m_options.format)
                                    ? RecordFormat::Long
                                    : m_options.format;
    // The port tag names the device, as its file does: ttyUSB0, COM3.
    const QString port = m_options.port.startsWith(QLatin1String("/dev/"))
                             ? QFileInfo(m_options.port).fileName()
                             : m_options.port;
    return m_recorder->start(m_options.output, format,
                             WriterSettings{m_options.integrate, port, m_options.influxTags},
                             m_options.files);
}

void Scanner::reopenFiles()
{
    if (m_exitCode) {
        return;
    }
    // The output reopens on its writer's thread, between two rows; a failure comes as failed().
    m_recorder->reopen();
    if (m_alarmLog != nullptr && !m_alarmLog->reopen()) {
        finish(kWriteFailed, m_alarmLog->errorString());
    }
}

bool Scanner::openFiles()
{
    const QString error = m_results.open();
    if (!error.isEmpty()) {
        tell(error);
    }
    return error.isEmpty();
}

void Scanner::armDurationTimer()
{
    const auto elapsed = std::chrono::milliseconds(m_clock.elapsed());
    if (elapsed >= *m_options.duration) {
        m_run->stop();
        return;
    }
    m_durationTimer->start(std::min(*m_options.duration - elapsed, kLongestLeg));
}

void Scanner::finish(int exitCode, const QString &message)
{
    if (m_exitCode) {
        return;
    }
    m_service.stopping();
    // A sink that fails stops the run; its own end must not overwrite that outcome.
    disconnect(m_run.get(), &ScanRun::ended, this, &Scanner::finish);
    m_run->stop();
    m_sweeping = false;
    m_durationTimer->stop();
    m_progressTimer->stop();
    clearProgress();
    int code = exitCode;
    if (!message.isEmpty()) {
        tell(message);
    }
    if (!finishRecording() && code == 0) {
        code = kWriteFailed;
    }
    if (m_swept && !writeResults() && code == 0) {
        code = kWriteFailed;
    }
    if (m_alarms != nullptr) {
        if (!m_alarms->end(message.isEmpty() ? QStringLiteral("the run stopped") : message)) {
            tell(m_alarms->errorString());
            code = code == 0 ? kWriteFailed : code;
        }
    }
    if (m_alarmCommands != nullptr) {
        m_alarmCommands->finish();
    }
    if (m_swept && !m_options.quiet) {
        std::fputs(qPrintable(scanreport::statisticsTable(m_statistics)), stderr);
    }
#ifdef KVT_WITH_MQTT
    if (m_publisher) {
        if (const qint64 undelivered = m_publisher->finish(); undelivered > 0) {
            const MqttUrl &broker = m_options.mqtt->broker;
            tell(QStringLiteral("broker %1:%2: sweeps still queued at the end, not delivered and "
                                "counted as dropped: %3")
                     .arg(broker.host)
                     .arg(broker.port)
                     .arg(undelivered));
        }
    }
#endif
    m_exitCode = code;
    QCoreApplication::exit(code);
}

bool Scanner::finishRecording()
{
    // A file that fails in its last rows is told here: the event loop is ending.
    bool failed = false;
    const QMetaObject::Connection lastWords =
        connect(m_recorder.get(), &Recorder::failed, this, [this, &failed](const QString &reason) {
            tell(reason);
            failed = true;
        });
    const QList<Recorder::Unwritten> unwritten = m_recorder->finish();
    disconnect(lastWords);
    for (const Recorder::Unwritten &file : unwritten) {
        tell(QStringLiteral("%1: rows not written within %2 s: %3")
                 .arg(file.name)
                 .arg(std::chrono::seconds(Recorder::kShutdownLimit).count())
                 .arg(file.rows));
    }
    return !failed && unwritten.isEmpty();
}

bool Scanner::writeResults()
{
    const QStringList errors = m_results.write(m_statistics, m_run->engine().monitorState());
    for (const QString &error : errors) {
        tell(error);
    }
    return errors.isEmpty();
}

void Scanner::showProgress()
{
    scanreport::Progress progress;
    progress.elapsed = std::chrono::milliseconds(m_clock.elapsed());
    progress.records = m_recorder->recorded();
    progress.singleChannel = m_options.channel.has_value();
    progress.mode = m_run->mode();
#ifdef KVT_WITH_MQTT
    if (m_publisher) {
        progress.droppedSweeps = m_publisher->droppedSweeps();
    }
#endif
    if (m_recorder->lastSweep()) {
        progress.lastSweep = &*m_recorder->lastSweep();
    }
    if (m_recorder->lastReading()) {
        progress.lastReading = &*m_recorder->lastReading();
    }
    std::fputs(qPrintable(QLatin1Char('\r') + scanreport::progressLine(progress) +
                          QLatin1String("\x1b[K")),
               stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void Scanner::clearProgress()
{
    if (m_progressShown) {
        std::fputs("\r\x1b[K", stderr);
        m_progressShown = false;
    }
}

void Scanner::tell(const QString &line)
{
    clearProgress();
    std::fputs(qPrintable(QStringLiteral("kvt318-scan: ") + line + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}
