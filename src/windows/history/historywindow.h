#pragma once

#include "engine/record/channelstatistics.h"
#include "windows/history/savepathchooser.h"

#include <QMainWindow>

class BaselineControls;
class ExportControls;
class HistorySource;
class HistoryStatistics;
class LoadProgress;
class HourMapView;
class HoursBox;
class MonitorActions;
class OccupancyView;
class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTimer;
class Recorder;
class PlanPane;
class RecordingControls;
class ReportExport;
class StatisticsModel;
class StatisticsTable;
class SweepHistory;
class WaterfallView;

// The history beside the monitor window: the waterfall of the held sweeps, occupancy per
// The history beside the monitor window: the waterfall of the held sweeps, occupancy per
// channel with its threshold and by hour of the day, the per-channel statistics, and recording
// to a file. It shows the live history or a recording opened again; a span dragged across the
// waterfall and the hours of the week that count narrow the figures and exports to them, and
// another survey can be set beside them as a baseline.
// The waterfall and the occupancy take the whole width; the table shares the lower part with
// other views as tabs, and panes kept for when they are wanted open as docks from the View
// menu. The user's arrangement of it all is kept for the next start.
class HistoryWindow : public QMainWindow
{
    Q_OBJECT

public:
    HistoryWindow(SweepHistory &history, HistoryStatistics &statistics, Recorder &recorder,
                  const MonitorActions &actions, SavePathChooser chooser,
                  QWidget *parent = nullptr);

    ~HistoryWindow() override;
    HistoryWindow(const HistoryWindow &) = delete;
    HistoryWindow &operator=(const HistoryWindow &) = delete;

    // Reads the recording in the background and shows it once read.
    void openRecording(const QString &path);
    // A recording or a summary written by kvt318-scan --summary.
    void compareWith(const QString &path);
    // Asks which file to open; the file dialog by default.
    void setOpenPathChooser(const SavePathChooser &chooser);
    // A recording or a baseline is being read.
    [[nodiscard]] bool isLoading() const;

    // Another view of the figures, as a tab beside the statistics table.
    void addView(QWidget *view, const QString &title);
    // A pane that opens, closed at first, from the View menu; name identifies it in the kept
    // arrangement.
    QDockWidget *addPane(QWidget *pane, const QString &title, const QString &name);
    // Restores the arrangement kept in this settings file, and keeps it there when the window
    // is closed.
    void keepArrangementIn(const QString &path);
    // The user's, in their configuration folder.
    [[nodiscard]] static QString defaultArrangementPath();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void saveArrangement() const;
    void buildMenus(const MonitorActions &actions);
    QWidget *buildCentralWidget();
    void buildStatusBar();
    void connectHandlers();
    void refreshFigures();
    void warn(const QString &message);
    void showBaseline(const Baseline *baseline);
    void showSource();
    void recount();
    void setClock(bool utc);
    void showSpan();
    [[nodiscard]] const ChannelStatistics &shownStatistics() const;
    [[nodiscard]] const ChannelStatistics &exactStatistics();

    SweepHistory &m_history;
    HistoryStatistics &m_statistics;
    HistorySource *m_source = nullptr;
    RecordingControls *m_recording = nullptr;
    BaselineControls *m_baseline = nullptr;
    ExportControls *m_exports = nullptr;
    ReportExport *m_report = nullptr;
    PlanPane *m_plan = nullptr;
    LoadProgress *m_loadProgress = nullptr;
    QString m_arrangementPath;
    // The figures of a span or of the opened recording, at the threshold shown.
    ChannelStatistics m_spanStatistics;
    bool m_spanCounted = false;
    int m_spanSweeps = 0;
    Qt::TimeSpec m_clock = Qt::LocalTime;
    QLabel *m_spanStatus = nullptr;
    QLabel *m_rate = nullptr;
    QAction *m_utc = nullptr;
    QAction *m_clearHistory = nullptr;
    QMenu *m_viewMenu = nullptr;
    QSplitter *m_splitter = nullptr;
    QTabWidget *m_views = nullptr;
    WaterfallView *m_waterfall = nullptr;
    OccupancyView *m_occupancy = nullptr;
    HourMapView *m_byHour = nullptr;
    HoursBox *m_hours = nullptr;
    QSpinBox *m_threshold = nullptr;
    StatisticsModel *m_model = nullptr;
    StatisticsTable *m_table = nullptr;
    QTimer *m_refreshTimer = nullptr;
};
