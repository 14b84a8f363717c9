#pragma once

#include "engine/protocol/seriallink.h"
#include "windows/history/savepathchooser.h"
#include "windows/main/mainwindow.h"

#include <QObject>

#include <memory>

class AlarmEventKeeper;
class AlarmNotifier;
class AlarmStore;
class AlarmWatch;
class HelpWindow;
class QDockWidget;
class HistoryStatistics;
class HistoryWindow;
class MonitorActions;
class Recorder;
class RemoteWatches;
class SweepEngine;
class SweepHistory;

// What the monitor is built from; tests replace them. Empty members take the real ones.
struct MonitorProgramServices
{
    std::unique_ptr<SerialLink> link;
    MainWindowServices window;
    // Alarm rules are kept in this file (the user's by default).
    QString alarmStorePath;
    // The history window's arrangement is kept in this file (the user's by default).
    QString arrangementPath;
};

// kvt318-monitor once its command line is read: the sweep engine and the window that shows
// it, and what the program keeps beside them (the history of the sweeps from the start of the
// program, recording to a file, the alarms, and the actions reached from the main window's
// keyboard). Every reading the engine stores reaches the recorder, and every sweep the
// recorder completes reaches the history and the alarms, through the connections made here.
class MonitorProgram : public QObject
{
    Q_OBJECT

public:
    using Services = MonitorProgramServices;

    explicit MonitorProgram(MonitorProgramServices services = {}, QObject *parent = nullptr);
    // Waits at most Recorder::kShutdownLimit for rows still queued, and says on standard error
    // how many could not be written.
    ~MonitorProgram() override;
    MonitorProgram(const MonitorProgram &) = delete;
    MonitorProgram &operator=(const MonitorProgram &) = delete;

    void setSavePathChooser(SavePathChooser chooser) { m_chooser = std::move(chooser); }

    // Records from the next complete sweep on; false with the reason on standard error.
    bool startRecording(const QString &path);
    // Alarm rules for this session only, each readable; the Alarms pane opens with the history
    // window.
    void addSessionAlarms(const QStringList &rules);
    // Opens the history window, or raises it when it is open.
    void showHistory();
    void showHelp();
    // Every channel's maximum becomes its latest reading; the chart shows it at its next tick.
    void resetMaxHold();
    // Asks for a file and saves the chart as a PNG at its current size.
    void saveChartImage();

    [[nodiscard]] SweepEngine &engine() const { return *m_engine; }
    [[nodiscard]] MainWindow &window() const { return *m_window; }
    [[nodiscard]] SweepHistory &history() const { return *m_history; }
    [[nodiscard]] Recorder &recorder() const { return *m_recorder; }
    [[nodiscard]] AlarmWatch &alarms() const { return *m_alarms; }
    [[nodiscard]] AlarmNotifier &notifier() const { return *m_notifier; }
    // Null until first shown.
    [[nodiscard]] HistoryWindow *historyWindow() const { return m_historyWindow.get(); }
    [[nodiscard]] HelpWindow *helpWindow() const { return m_helpWindow.get(); }
    // The scanners watched through brokers (File → Watch a remote scanner…, --watch).
    [[nodiscard]] RemoteWatches &remoteWatches() const { return *m_remoteWatches; }

private:
    void connectHandlers();
    void showRecordingFailure(const QString &message);
    void loadAlarms();
    void saveAlarms();
    QDockWidget *addAlarmsPane();
    void showAlarmMarks();
    static void report(const QString &message);

    // The window stops the engine as it closes, so it goes first.
    std::unique_ptr<SweepEngine> m_engine;
    std::unique_ptr<MainWindow> m_window;
    SavePathChooser m_chooser;
    MonitorActions *m_actions = nullptr;
    SweepHistory *m_history = nullptr;
    HistoryStatistics *m_statistics = nullptr;
    // Owned here, not by the parent: it feeds the history, so it goes first.
    std::unique_ptr<Recorder> m_recorder;
    AlarmWatch *m_alarms = nullptr;
    // Owned by m_alarms.
    const AlarmEventKeeper *m_keptAlarms = nullptr;
    // Owned by the watch.
    AlarmNotifier *m_notifier = nullptr;
    std::unique_ptr<AlarmStore> m_alarmStore;
    QString m_arrangementPath;
    bool m_sessionAlarms = false;
    // Top-level windows of their own, made when first asked for.
    std::unique_ptr<HistoryWindow> m_historyWindow;
    std::unique_ptr<HelpWindow> m_helpWindow;
    // Made last and gone first: its windows use the actions.
    std::unique_ptr<RemoteWatches> m_remoteWatches;
};
