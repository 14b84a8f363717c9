#include "windows/history/historywindow.h"

#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "engine/record/recorder.h"
#include "painters/colormap.h"
#include "windows/history/imagefiles.h"
#include "windows/history/monitoractions.h"
#include "windows/history/occupancyview.h"
#include "windows/history/statisticsmodel.h"
#include "windows/history/waterfallview.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <utility>

namespace {

constexpr std::chrono::seconds kFigureRefreshInterval{1};
constexpr QSize kStartSize(820, 760);

} // namespace

HistoryWindow::HistoryWindow(SweepHistory &history, HistoryStatistics &statistics,
                             Recorder &recorder, const MonitorActions &actions,
                             SavePathChooser chooser, QWidget *parent)
    : QMainWindow(parent)
    , m_history(history)
    , m_statistics(statistics)
    , m_recorder(recorder)
    , m_chooser(std::move(chooser))
    , m_refreshTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(tr("KVT-318 History"));
    setCentralWidget(buildCentralWidget());
    buildMenus(actions);
    m_recordingStatus = new QLabel(this);
    m_recordingStatus->setObjectName(QStringLiteral("recordingStatus"));
    m_rate = new QLabel(this);
    m_rate->setObjectName(QStringLiteral("sweepRate"));
    statusBar()->addWidget(m_recordingStatus, 1);
    statusBar()->addPermanentWidget(m_rate);
    m_refreshTimer->setInterval(kFigureRefreshInterval);
    connectHandlers();
    showRecordingState();
    refreshFigures();
    resize(kStartSize);
}

QWidget *HistoryWindow::buildCentralWidget()
{
    m_waterfall = new WaterfallView(m_history);

    m_threshold = new QSpinBox;
    m_threshold->setObjectName(QStringLiteral("threshold"));
    m_threshold->setRange(chart::colormap::kLowestDbm, chart::colormap::kHighestDbm);
    m_threshold->setValue(m_statistics.threshold());
    m_threshold->setSuffix(tr(" dBm"));
    auto *thresholdLabel = new QLabel(tr("Occupancy &threshold:"));
    thresholdLabel->setBuddy(m_threshold);
    auto *thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(thresholdLabel);
    thresholdRow->addWidget(m_threshold);
    thresholdRow->addStretch();

    m_occupancy = new OccupancyView(m_statistics);
    auto *occupancyPanel = new QWidget;
    auto *occupancyLayout = new QVBoxLayout(occupancyPanel);
    occupancyLayout->setContentsMargins(0, 0, 0, 0);
    occupancyLayout->addLayout(thresholdRow);
    occupancyLayout->addWidget(m_occupancy, 1);

    m_model = new StatisticsModel(m_statistics, this);
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(m_model);
    sorted->setSortRole(Qt::UserRole);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("statistics"));
    m_table->setModel(sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(StatisticsModel::Channel, Qt::AscendingOrder);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_waterfall);
    splitter->addWidget(occupancyPanel);
    splitter->addWidget(m_table);
    splitter->setSizes({400, 160, 200});
    return splitter;
}

void HistoryWindow::buildMenus(const MonitorActions &actions)
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    m_record = file->addAction(tr("&Record to CSV…"));
    m_record->setObjectName(QStringLiteral("record"));
    m_stopRecording = file->addAction(tr("S&top recording"));
    m_stopRecording->setObjectName(QStringLiteral("stopRecording"));
    file->addSeparator();
    file->addAction(actions.saveChartImage);
    m_saveWaterfall = file->addAction(tr("Save &waterfall image…"));
    m_exportStatistics = file->addAction(tr("&Export statistics (CSV)…"));
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    view->addAction(actions.resetMaxHold);
    m_clearHistory = view->addAction(tr("&Clear history"));
    m_clearHistory->setObjectName(QStringLiteral("clearHistory"));

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(actions.showHelp);
    // Ctrl+H and the rest answer here too.
    addAction(actions.showHistory);
}

void HistoryWindow::connectHandlers()
{
    connect(m_threshold, &QSpinBox::valueChanged, this, [this](int dbm) {
        m_statistics.setThreshold(static_cast<qint16>(dbm));
        refreshFigures();
    });
    connect(m_record, &QAction::triggered, this, &HistoryWindow::chooseRecordingFile);
    connect(m_stopRecording, &QAction::triggered, &m_recorder, &Recorder::stop);
    connect(m_saveWaterfall, &QAction::triggered, this, &HistoryWindow::saveWaterfallImage);
    connect(m_exportStatistics, &QAction::triggered, this, &HistoryWindow::exportStatistics);
    connect(m_clearHistory, &QAction::triggered, &m_history, &SweepHistory::clear);
    connect(&m_recorder, &Recorder::started, this, &HistoryWindow::showRecordingState);
    connect(&m_recorder, &Recorder::stopped, this, &HistoryWindow::showRecordingState);
    connect(&m_recorder, &Recorder::failed, this, &HistoryWindow::showRecordingState);
    connect(&m_history, &SweepHistory::cleared, this, &HistoryWindow::refreshFigures);
    connect(m_refreshTimer, &QTimer::timeout, this, &HistoryWindow::refreshFigures);
}

// The figures follow once a second while the window is shown; hidden, it costs nothing.
void HistoryWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    refreshFigures();
    m_refreshTimer->start();
}

void HistoryWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    m_refreshTimer->stop();
}

void HistoryWindow::refreshFigures()
{
    m_model->refresh();
    m_occupancy->update();
    m_rate->setText(
        tr("%1 sweeps/s")
            .arg(m_history.sweepsPerSecond(QDateTime::currentMSecsSinceEpoch()), 0, 'f', 2));
    showRecordingState();
}

void HistoryWindow::showRecordingState()
{
    m_record->setEnabled(!m_recorder.isRecording());
    m_stopRecording->setEnabled(m_recorder.isRecording());
    if (m_recorder.isRecording()) {
        m_recordingStatus->setText(tr("Recording to %1: %n row(s) written", nullptr,
                                      static_cast<int>(m_recorder.rowsWritten()))
                                       .arg(QDir::toNativeSeparators(m_recorder.path())));
    } else if (!m_recorder.lastError().isEmpty()) {
        m_recordingStatus->setText(tr("Recording stopped: %1").arg(m_recorder.lastError()));
    } else {
        m_recordingStatus->setText(tr("Not recording"));
    }
}

void HistoryWindow::chooseRecordingFile()
{
    const QString path = m_chooser(
        this, tr("Record to CSV"),
        savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("csv")),
        tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    if (!m_recorder.start(path, RecordFormat::Csv)) {
        showRecordingState();
        warn(m_recorder.lastError());
    }
}

void HistoryWindow::saveWaterfallImage()
{
    const QString path = m_chooser(this, tr("Save waterfall image"), imagefiles::proposedPath(),
                                   tr("PNG images (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    const QString error = imagefiles::savePng(m_waterfall->image(), path);
    if (!error.isEmpty()) {
        warn(error);
    }
}

void HistoryWindow::exportStatistics()
{
    const QString path = m_chooser(
        this, tr("Export statistics"),
        savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("csv")),
        tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    m_statistics.forgetDroppedRows();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !record::writeSummaryCsv(file, m_statistics.statistics()) || !file.commit()) {
        warn(path + QLatin1String(": ") + file.errorString());
    }
}

void HistoryWindow::warn(const QString &message)
{
    QMessageBox::warning(this, windowTitle(), message);
}
