#pragma once

#include "engine/record/baseline.h"
#include "engine/record/channelstatistics.h"
#include "engine/record/tracewriter.h"
#include "windows/history/savepathchooser.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class HistoryStatistics;
class MonitorActions;
class OccupancyView;
class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class RecordingLoader;
class RecordingRows;
struct RecordingRead;
class QSpinBox;
class QTableView;
class QTimer;
class Recorder;
class StatisticsModel;
class SweepHistory;
class WaterfallView;

// The history beside the monitor window: the waterfall of the held sweeps, occupancy per
// channel with its threshold, the per-channel statistics, and recording to a file. It shows
// the live history or a recording opened again; a span dragged across the waterfall narrows
// the figures and exports to it, and another survey can be set beside them as a baseline.
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
    void setOpenPathChooser(SavePathChooser chooser) { m_openChooser = std::move(chooser); }
    [[nodiscard]] bool isLoading() const;

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
    void exportTrace(TraceLevel level);
    void refreshFigures();
    void showRecordingState();
    void warn(const QString &message);
    void chooseRecordingToOpen();
    void chooseBaseline();
    void clearBaseline();
    void showLoaded(const QString &path, const std::shared_ptr<RecordingRead> &read);
    void showSource();
    void recount();
    void setClock(bool utc);
    void showSpan();
    [[nodiscard]] bool showsLive() const;
    [[nodiscard]] const ChannelStatistics &shownStatistics() const;
    [[nodiscard]] QString clockTime(qint64 utcMs, const QString &format) const;

    SweepHistory &m_history;
    HistoryStatistics &m_statistics;
    Recorder &m_recorder;
    SavePathChooser m_chooser;
    SavePathChooser m_openChooser;
    RecordingLoader *m_loader = nullptr;
    std::unique_ptr<RecordingRows> m_opened;
    QString m_openedPath;
    // The figures of a span or of the opened recording, at the threshold shown.
    ChannelStatistics m_spanStatistics;
    bool m_spanCounted = false;
    int m_spanSweeps = 0;
    std::optional<Baseline> m_baseline;
    Qt::TimeSpec m_clock = Qt::LocalTime;
    QComboBox *m_source = nullptr;
    QLabel *m_sourceStatus = nullptr;
    QLabel *m_spanStatus = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancelLoad = nullptr;
    QAction *m_openRecording = nullptr;
    QAction *m_compare = nullptr;
    QAction *m_clearBaseline = nullptr;
    QAction *m_utc = nullptr;
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
