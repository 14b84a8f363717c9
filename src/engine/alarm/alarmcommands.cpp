#include "engine/alarm/alarmcommands.h"

#include "engine/alarm/alarmevent.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>

#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace {
QString alarmKey(const AlarmEvent &event)
{
    return QString::number(event.index) + QLatin1Char(' ') + event.rule;
}
} // namespace

AlarmCommands::AlarmCommands(QString command, std::chrono::milliseconds raiseInterval,
                             QObject *parent)
    : QObject(parent)
    , m_command(std::move(command))
    , m_raiseInterval(raiseInterval)
{}

AlarmCommands::~AlarmCommands()
{
    for (Job &job : m_jobs) {
        if (job.process != nullptr) {
            killGroup(*job.process);
            job.process->waitForFinished();
        }
    }
}

void AlarmCommands::take(const AlarmEvent &event, const AlarmEngine & /*engine*/)
{
    if (event.kind == AlarmEvent::Kind::Ended) {
        return;
    }
    QString why;
    if (!mayRun(event, why)) {
        ++m_skipped;
        report(m_skippedUnreported, m_lastSkipReport, [&] {
            return QStringLiteral("--on-alarm not run for %1: %2")
                .arg(alarms::eventLine(event).section(QLatin1Char(' '), 1), why);
        });
        return;
    }
    start(event);
}

bool AlarmCommands::mayRun(const AlarmEvent &event, QString &why)
{
    const auto channel = static_cast<std::size_t>(event.index);
    const QString key = alarmKey(event);
    if (event.kind == AlarmEvent::Kind::Cleared && !m_raisedAlarms.remove(key)) {
        why = QStringLiteral("its raise was not run");
        return false;
    }
    if (m_jobs[channel].process != nullptr) {
        why = QStringLiteral("the command for this channel is still running");
        return false;
    }
    if (m_runningCount >= kMostAtOnce) {
        why = QStringLiteral("%1 commands are running").arg(kMostAtOnce);
        return false;
    }
    if (event.kind == AlarmEvent::Kind::Raised) {
        std::optional<QElapsedTimer> &last = m_lastRaise[channel];
        if (last && !last->hasExpired(m_raiseInterval.count())) {
            why = QStringLiteral("this channel's last raise ran less than %1 s ago")
                      .arg(static_cast<double>(m_raiseInterval.count()) / 1000.0);
            return false;
        }
        last.emplace().start();
        m_raisedAlarms.insert(key);
    }
    return true;
}

void AlarmCommands::start(const AlarmEvent &event)
{
    auto *process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KVT318_EVENT"), alarms::kindName(event.kind));
    environment.insert(QStringLiteral("KVT318_CHANNEL"),
                       QString::number(channelplan::channelNumber(event.index)));
    environment.insert(QStringLiteral("KVT318_DBM"), QString::number(event.dbm));
    process->setProcessEnvironment(environment);
    // Standard output carries the records; the command's own errors still reach the user.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // A group of its own, so that what the shell started goes with it when it is killed.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    const int index = event.index;
    Job &job = m_jobs[static_cast<std::size_t>(index)];
    job = {process, QDeadlineTimer(kKillAfter), {}, std::nullopt};
    auto *killTimer = new QTimer(process);
    killTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early: the command would be killed before its time.
    killTimer->setTimerType(Qt::PreciseTimer);
    const QByteArray input = alarms::eventJson(event) + '\n';
    connect(process, &QProcess::started, this, [process, input, killTimer, &job] {
        process->write(input);
        process->closeWriteChannel();
        job.running.start();
        killTimer->start(kKillAfter);
    });
    connect(killTimer, &QTimer::timeout, this, [process, &job] {
        job.killedAfterMs = job.running.elapsed();
        killGroup(*process);
    });
    connect(process, &QProcess::finished, this,
            [this, index, &job, killTimer](int exitCode, QProcess::ExitStatus status) {
                killTimer->stop();
                if (job.killedAfterMs) {
                    // The time measured, so that the line tells what really happened.
                    ended(index, QStringLiteral("was still running after %1 s and was killed")
                                     .arg(*job.killedAfterMs / 1000));
                } else if (status == QProcess::CrashExit) {
                    ended(index, QStringLiteral("crashed"));
                } else if (exitCode != 0) {
                    ended(index, QStringLiteral("exited with status %1").arg(exitCode));
                } else {
                    ended(index, {});
                }
            });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, index](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    ended(index, QStringLiteral("cannot start: ") + process->errorString());
                }
            });
    ++m_runningCount;
    process->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), m_command});
}

void AlarmCommands::ended(int index, const QString &failure)
{
    Job &job = m_jobs[static_cast<std::size_t>(index)];
    if (job.process == nullptr) {
        return;
    }
    job.process->deleteLater();
    job.process = nullptr;
    --m_runningCount;
    if (!failure.isEmpty()) {
        report(m_failedUnreported, m_lastFailureReport, [&] {
            return QStringLiteral("--on-alarm for channel %1 %2")
                .arg(channelplan::channelNumber(index))
                .arg(failure);
        });
    }
}

void AlarmCommands::killGroup(QProcess &process)
{
#ifdef Q_OS_UNIX
    if (process.processId() > 0) {
        ::kill(-static_cast<pid_t>(process.processId()), SIGKILL);
    }
#endif
    process.kill();
}

void AlarmCommands::report(qint64 &unreported, QElapsedTimer &last,
                           const std::function<QString()> &line)
{
    if (last.isValid() && !last.hasExpired(kReportInterval.count())) {
        ++unreported;
        return;
    }
    last.start();
    QString text = line();
    if (unreported > 0) {
        text += QStringLiteral(" (and %1 more like it since the last report)").arg(unreported);
    }
    unreported = 0;
    Q_EMIT said(text);
}

void AlarmCommands::finish()
{
    for (Job &job : m_jobs) {
        if (job.process == nullptr) {
            continue;
        }
        QProcess *process = job.process;
        if (!process->waitForFinished(static_cast<int>(job.killAt.remainingTime()))) {
            job.killedAfterMs = job.running.isValid() ? job.running.elapsed() : 0;
            killGroup(*process);
            process->waitForFinished();
        }
    }
    if (m_failedUnreported > 0) {
        Q_EMIT said(QStringLiteral("--on-alarm failed %1 more times since the last report")
                        .arg(m_failedUnreported));
    }
    if (m_skipped > 0) {
        Q_EMIT said(QStringLiteral("--on-alarm was not run for %1 events in all").arg(m_skipped));
    }
}
