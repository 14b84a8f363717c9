#pragma once

#include "core/channelplan.h"
#include "engine/alarm/alarmaction.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <optional>

class QProcess;

// The --on-alarm command, run for raises and clears without ever holding up the sweep: a few
// at once, one per channel, each killed (with whatever it started) when it overruns, a
// channel's raises no more often than the interval. What is not run is counted; the clear of
// a raise that was not run is not run either, so the command sees pairs.
class AlarmCommands : public QObject, public AlarmAction
{
    Q_OBJECT

public:
    static constexpr int kMostAtOnce = 4;
    static constexpr std::chrono::milliseconds kKillAfter{10'000};
    static constexpr std::chrono::milliseconds kReportInterval{60'000};

    AlarmCommands(QString command, std::chrono::milliseconds raiseInterval,
                  QObject *parent = nullptr);
    ~AlarmCommands() override;

    void take(const AlarmEvent &event, const AlarmEngine &engine) override;
    // Waits for the commands still running, each until it is due to be killed, and says what
    // was skipped and what failed since the last report.
    void finish();

    [[nodiscard]] qint64 skipped() const { return m_skipped; }

Q_SIGNALS:
    // A line for standard error.
    void said(const QString &line);

private:
    bool mayRun(const AlarmEvent &event, QString &why);
    void start(const AlarmEvent &event);
    void ended(int index, const QString &failure);
    static void killGroup(QProcess &process);
    // The line is made only when it is told: a flood of events must stay cheap.
    void report(qint64 &unreported, QElapsedTimer &last, const std::function<QString()> &line);

    QString m_command;
    std::chrono::milliseconds m_raiseInterval;
    struct Job
    {
        QProcess *process = nullptr;
        QDeadlineTimer killAt;
        QElapsedTimer running;
        // Set when it was killed: how long it had run.
        std::optional<qint64> killedAfterMs;
    };

    std::array<Job, channelplan::kChannelCount> m_jobs{};
    std::array<std::optional<QElapsedTimer>, channelplan::kChannelCount> m_lastRaise;
    // Alarms (rule text and channel) whose raise ran, so that their clear runs too.
    QSet<QString> m_raisedAlarms;
    int m_runningCount = 0;
    qint64 m_skipped = 0;
    qint64 m_skippedUnreported = 0;
    qint64 m_failedUnreported = 0;
    QElapsedTimer m_lastSkipReport;
    QElapsedTimer m_lastFailureReport;
};
