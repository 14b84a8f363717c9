#include "programs/scan/replayer.h"

#include "engine/alarm/alarmcommands.h"
#include "engine/alarm/alarmlog.h"
#include "engine/alarm/alarmwatch.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/reading.h"
#include "engine/record/outputfile.h"
#include "engine/record/recordingreader.h"
#include "programs/scan/alarmlines.h"
#ifdef KVT_WITH_MQTT
#include "programs/scan/mqttalarms.h"
#include "programs/scan/mqttpublisher.h"
#endif
#include "programs/scan/processsignals.h"
#include "programs/scan/scanreport.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace {
// Sweeps handed on per turn of the event loop, so that a signal or the broker gets a look in.
constexpr qint64 kRowsPerTurn = 4096;
constexpr int kChangesShown = 5;
// QTimer counts in int milliseconds; a pause in a recording longer than a day is cut to one.
constexpr std::chrono::milliseconds kLongestWait{24 * 3600 * 1000};

} // namespace

Replayer::Replayer(ScanOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_statistics(m_options.threshold)
    , m_signals(new ProcessSignals(this))
    , m_feedTimer(new QTimer(this))
{
    m_feedTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early, which would shorten a replay at the recorded pace.
    m_feedTimer->setTimerType(Qt::PreciseTimer);
    m_latest.fill(MonitorState::kNoReading);
    m_highest.fill(MonitorState::kNoReading);
    connect(m_feedTimer, &QTimer::timeout, this, &Replayer::feed);
    connect(m_signals, &ProcessSignals::stopRequested, this, [this] { finish(0, {}); });
    connect(m_signals, &ProcessSignals::reopenRequested, this, &Replayer::reopenFiles);
}

Replayer::~Replayer() = default;

void Replayer::start()
{
    if (!load() || !openFiles() || !startAlarms()) {
        return;
    }
    startPublishing();
    feed();
}

bool Replayer::load()
{
    RecordingRead read = RecordingReader::readFile(m_options.replayPath);
    if (read.status != RecordingRead::Status::Read) {
        finish(read.status == RecordingRead::Status::OpenFailed ? kOpenFailed : kNotRecording,
               read.error);
        return false;
    }
    // The count goes out even when it is nought: a script can rely on the line.
    tell(QStringLiteral("%1: %2 records read, %3 damaged lines skipped")
             .arg(m_options.replayPath)
             .arg(read.recording.rows())
             .arg(read.skippedLines));
    if (read.skippedLines > 0) {
        tell(read.firstProblem);
    }
    m_recording = std::move(read.recording);
    if (!m_options.baselinePath.isEmpty()) {
        const record::BaselineRead baseline =
            record::readBaseline(m_options.baselinePath, m_options.threshold);
        if (!baseline.baseline) {
            finish(baseline.openFailed ? kOpenFailed : kNotRecording, baseline.error);
            return false;
        }
        m_baseline = baseline.baseline;
    }
    const qint64 first = m_recording.isEmpty() ? 0 : m_recording.utcMs(0);
    const qint64 from = m_options.from.isEmpty()
                            ? std::numeric_limits<qint64>::min()
                            : scanoptions::parseTime(m_options.from, first).value_or(0);
    const qint64 to = m_options.to.isEmpty()
                          ? std::numeric_limits<qint64>::max()
                          : scanoptions::parseTime(m_options.to, first).value_or(0);
    std::tie(m_next, m_end) = m_recording.rowsBetween(from, to);
    if (m_options.sweeps) {
        m_end = std::min(m_end, m_next + *m_options.sweeps);
    }
    return true;
}

bool Replayer::openFiles()
{
    if (const QString error = m_results.open(); !error.isEmpty()) {
        finish(kWriteFailed, error);
        return false;
    }
    if (m_options.recordsAsked) {
        const bool single = m_recording.width() == 1;
        // A recording of one channel has no sweeps: its readings go out one a row.
        const RecordFormat format = single && !record::takesReadings(m_options.format)
                                        ? RecordFormat::Long
                                        : m_options.format;
        m_output = std::make_unique<OutputFile>(
            m_options.output, format,
            WriterSettings{m_options.integrate, QString(), m_options.influxTags});
        if (!m_output->open()) {
            finish(kWriteFailed, m_output->errorString());
            return false;
        }
    }
    return true;
}

void Replayer::reopenFiles()
{
    if (m_exitCode) {
        return;
    }
    if (m_output && !m_output->reopen()) {
        finish(kWriteFailed, m_output->errorString());
    } else if (m_alarmLog != nullptr && !m_alarmLog->reopen()) {
        finish(kWriteFailed, m_alarmLog->errorString());
    }
}

void Replayer::startPublishing()
{
#ifdef KVT_WITH_MQTT
    if (!m_options.mqtt) {
        return;
    }
    m_publisher = new MqttPublisher(*m_options.mqtt, m_statistics, this);
    if (m_alarms != nullptr) {
        m_alarms->addAction(std::make_unique<MqttAlarms>(*m_publisher, m_alarms->engine()));
    }
    connect(m_publisher, &MqttPublisher::refused, this, [this](const QString &reason) {
        finish(kBrokerRefused, QStringLiteral("the broker refused the connection: ") + reason);
    });
#endif
}

bool Replayer::startAlarms()
{
    const AlarmSettings &settings = m_options.alarms;
    if (settings.rules.empty()) {
        return true;
    }
    m_alarms = new AlarmWatch(
        settings.rules,
        m_recording.width() == 1 ? AlarmWatch::Input::Readings : AlarmWatch::Input::Sweeps, this);
    if (!m_options.quiet) {
        m_alarms->addAction(
            std::make_unique<AlarmLines>([this](const QString &line) { tell(line); }));
    }
    if (!settings.command.isEmpty()) {
        auto commands = std::make_unique<AlarmCommands>(settings.command, settings.commandInterval);
        m_alarmCommands = commands.get();
        connect(m_alarmCommands, &AlarmCommands::said, this, &Replayer::tell);
        m_alarms->addAction(std::move(commands));
    }
    if (!settings.logPath.isEmpty()) {
        auto log = std::make_unique<AlarmLog>(settings.logPath);
        if (!log->open()) {
            finish(kWriteFailed, log->errorString());
            return false;
        }
        m_alarmLog = log.get();
        m_alarms->addAction(std::move(log));
    }
    return true;
}

void Replayer::feed()
{
    // At the recorded pace one sweep a turn, the timer waiting out the time to the next.
    const qint64 turnEnd = std::min(m_end, m_next + (m_options.realtime ? 1 : kRowsPerTurn));
    while (m_next < turnEnd) {
        if (!replayRow(m_next)) {
            return;
        }
        ++m_next;
    }
    if (m_next >= m_end) {
        finish(0, {});
        return;
    }
    qint64 wait = 0;
    if (m_options.realtime) {
        wait = std::clamp<qint64>(m_recording.utcMs(m_next) - m_recording.utcMs(m_next - 1), 0,
                                  kLongestWait.count());
    }
    m_feedTimer->start(std::chrono::milliseconds(wait));
}

bool Replayer::replayRow(qint64 row)
{
    if (m_recording.startsRun(row)) {
        m_statistics.breakBursts();
        if (m_alarms != nullptr && !m_alarms->end(QStringLiteral("the recording stops here"))) {
            finish(kWriteFailed, m_alarms->errorString());
            return false;
        }
    }
    const SweepRecord sweep = m_recording.sweep(row);
    const int first = m_recording.firstIndex();
    for (int index = first; index < first + m_recording.width(); ++index) {
        const qint16 dbm = sweep.dbm[static_cast<std::size_t>(index)];
        const Reading reading{index, dbm, sweep.utcMs, sweep.mode};
        m_statistics.addReading(reading);
        m_latest[static_cast<std::size_t>(index)] = dbm;
        m_highest[static_cast<std::size_t>(index)] =
            std::max(m_highest[static_cast<std::size_t>(index)], dbm);
        if (m_output && !m_output->write(reading)) {
            finish(kWriteFailed, m_output->errorString());
            return false;
        }
        if (m_alarms != nullptr && !m_alarms->addReading(reading)) {
            finish(kWriteFailed, m_alarms->errorString());
            return false;
        }
    }
    if (m_recording.width() > 1) {
        if (m_output && !m_output->write(sweep)) {
            finish(kWriteFailed, m_output->errorString());
            return false;
        }
        if (m_alarms != nullptr && !m_alarms->addSweep(sweep)) {
            finish(kWriteFailed, m_alarms->errorString());
            return false;
        }
#ifdef KVT_WITH_MQTT
        if (m_publisher != nullptr) {
            m_publisher->publishSweep(sweep);
        }
#endif
    }
    return true;
}

void Replayer::finish(int exitCode, const QString &message)
{
    if (m_exitCode) {
        return;
    }
    m_feedTimer->stop();
    int code = exitCode;
    if (!message.isEmpty()) {
        tell(message);
    }
    // What a format still holds (rtl_power's last interval), unless writing is what failed.
    if (m_output && code != kWriteFailed && !m_output->close()) {
        tell(m_output->errorString());
        code = code == 0 ? kWriteFailed : code;
    }
    const bool read = code != kOpenFailed && code != kNotRecording;
    if (read && !writeResults() && code == 0) {
        code = kWriteFailed;
    }
    if (m_alarms != nullptr) {
        const QString reason = !message.isEmpty() ? message
                               : m_next >= m_end  ? QStringLiteral("the replay reached its end")
                                                  : QStringLiteral("the replay stopped");
        if (!m_alarms->end(reason)) {
            tell(m_alarms->errorString());
            code = code == 0 ? kWriteFailed : code;
        }
    }
    if (m_alarmCommands != nullptr) {
        m_alarmCommands->finish();
    }
    if (read && !m_options.quiet) {
        std::fputs(qPrintable(scanreport::statisticsTable(m_statistics)), stderr);
        if (m_baseline) {
            std::fputs(
                qPrintable(scanreport::baselineChanges(m_statistics, *m_baseline, kChangesShown)),
                stderr);
        }
    }
#ifdef KVT_WITH_MQTT
    if (m_publisher != nullptr) {
        if (const qint64 undelivered = m_publisher->finish(); undelivered > 0) {
            tell(QStringLiteral("the broker: sweeps still queued at the end, not delivered and "
                                "counted as dropped: %1")
                     .arg(undelivered));
        }
    }
#endif
    m_exitCode = code;
    QCoreApplication::exit(code);
}

bool Replayer::writeResults()
{
    MonitorState readings;
    readings.latest = m_latest;
    readings.highest = m_highest;
    if (m_recording.width() == 1) {
        readings.cursorIndex = m_recording.firstIndex();
    }
    const QStringList errors =
        m_results.write(m_statistics, readings, m_baseline ? &*m_baseline : nullptr);
    for (const QString &error : errors) {
        tell(error);
    }
    return errors.isEmpty();
}

void Replayer::tell(const QString &line)
{
    std::fputs(qPrintable(QStringLiteral("kvt318-scan: ") + line + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}
