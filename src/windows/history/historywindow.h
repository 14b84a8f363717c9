#pragma once

#include "windows/history/savepathchooser.h"

#include <QMainWindow>

class HistoryStatistics;
class MonitorActions;
class OccupancyView;
class QAction;
class QLabel;
class QSpinBox;
class QTableView;
class QTimer;
class Recorder;
class StatisticsModel;
class SweepHistory;
class WaterfallView;

// The history beside the monitor window: the waterfall of the held sweeps, occupancy per
// channel with its threshold, the per-channel statistics, and recording to a file.
class HistoryWindow : public QMainWindow
{
    Q_OBJECT

public:
    HistoryWindow(SweepHistory &history, HistoryStatistics &statistics, Recorder &recorder,
                  const MonitorActions &actions, SavePathChooser chooser,
                  QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildMenus(const MonitorActions &actions);
    QWidget *buildCentralWidget();
    void connectHandlers();
    void chooseRecordingFile();
    void saveWaterfallImage();
    void exportStatistics();
    void refreshFigures();
    void showRecordingState();
    void warn(const QString &message);

    SweepHistory &m_history;
    HistoryStatistics &m_statistics;
    Recorder &m_recorder;
    SavePathChooser m_chooser;
    WaterfallView *m_waterfall = nullptr;
    OccupancyView *m_occupancy = nullptr;
    QSpinBox *m_threshold = nullptr;
    StatisticsModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_recordingStatus = nullptr;
    QLabel *m_rate = nullptr;
    QTimer *m_refreshTimer = nullptr;
    QAction *m_record = nullptr;
    QAction *m_stopRecording = nullptr;
    QAction *m_saveWaterfall = nullptr;
    QAction *m_exportStatistics = nullptr;
    QAction *m_clearHistory = nullptr;
};
