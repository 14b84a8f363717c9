#pragma once

#include "engine/alarm/alarmwatch.h"
#include "windows/history/savepathchooser.h"

#include <QObject>

#include <memory>

class HistoryStatistics;
class HistoryWindow;
class MonitorActions;
class QLabel;
class RemoteBroker;
class RemoteSource;
class SurveyRun;
class SweepHistory;

// One receiver watched through a broker, in a history window of its own titled with its name:
// its sweeps run through a survey of their own (the history, its statistics, the alarms under
// the monitor's rules, recording to a file) exactly as a local run's do, the scanner's own
// alarm events join the Alarms pane, and the status bar says how the broker and the receiver
// are. The window's File and Help menus reach the program's actions.
class RemoteWatch : public QObject
{
    Q_OBJECT

public:
    // prefix: the receiver's topics, when chosen from the list; empty, found by its name.
    RemoteWatch(std::shared_ptr<RemoteBroker> broker, const QString &receiver,
                const QString &prefix, const QList<AlarmRuleEntry> &rules,
                const MonitorActions &programActions, SavePathChooser chooser,
                QObject *parent = nullptr);
    ~RemoteWatch() override;
    RemoteWatch(const RemoteWatch &) = delete;
    RemoteWatch &operator=(const RemoteWatch &) = delete;

    [[nodiscard]] const QString &receiver() const { return m_receiver; }
    [[nodiscard]] const QString &prefix() const { return m_prefix; }
    [[nodiscard]] const std::shared_ptr<RemoteBroker> &broker() const { return m_broker; }
    [[nodiscard]] HistoryWindow &window() const { return *m_window; }
    [[nodiscard]] SweepHistory &history() const { return *m_history; }
    [[nodiscard]] HistoryStatistics &statistics() const { return *m_statistics; }
    [[nodiscard]] RemoteSource &source() const;

Q_SIGNALS:
    // The window was closed; the watch may go.
    void closed();

private:
    void connectHandlers();
    void showStatus();
    void showAlarmMarks();

    std::shared_ptr<RemoteBroker> m_broker;
    QString m_receiver;
    QString m_prefix;
    SweepHistory *m_history = nullptr;
    HistoryStatistics *m_statistics = nullptr;
    AlarmWatch *m_alarms = nullptr;
    MonitorActions *m_actions = nullptr;
    std::unique_ptr<SurveyRun> m_run;
    std::unique_ptr<HistoryWindow> m_window;
    QLabel *m_status = nullptr;
    bool m_runStarts = false;
};
