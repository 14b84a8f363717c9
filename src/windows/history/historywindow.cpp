#include "windows/history/historywindow.h"

#include "engine/history/historystatistics.h"
#include "engine/history/recordingrows.h"
#include "engine/history/sweephistory.h"
#include "engine/record/recorder.h"
#include "engine/record/recordingloader.h"
#include "painters/colormap.h"
#include "windows/history/imagefiles.h"
#include "windows/history/monitoractions.h"
#include "windows/history/occupancyview.h"
#include "windows/history/statisticsmodel.h"
#include "windows/history/waterfallview.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <QVBoxLayout>
#include <tuple>

#include <chrono>
#include <utility>

namespace {

constexpr std::chrono::seconds kFigureRefreshInterval{1};
constexpr QSize kStartSize(820, 760);
constexpr int kPermille = 1000;
// Room for a column title wrapped onto a second line.
constexpr int kHeaderLines = 3;
constexpr int kHeaderPadding = 8;

SavePathChooser openDialog()
{
    return [](QWidget *parent, const QString &title, const QString &folder, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    };
}

} // namespace

HistoryWindow::HistoryWindow(SweepHistory &history, HistoryStatistics &statistics,
                             Recorder &recorder, const MonitorActions &actions,
                             SavePathChooser chooser, QWidget *parent)
    : QMainWindow(parent)
    , m_history(history)
    , m_statistics(statistics)
    , m_recorder(recorder)
    , m_chooser(std::move(chooser))
    , m_openChooser(openDialog())
    , m_loader(new RecordingLoader(this))
    , m_refreshTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(tr("KVT-318 History"));
    setCentralWidget(buildCentralWidget());
    buildMenus(actions);
    m_recordingStatus = new QLabel(this);
    m_recordingStatus->setObjectName(QStringLiteral("recordingStatus"));
    m_sourceStatus = new QLabel(this);
    m_sourceStatus->setObjectName(QStringLiteral("sourceStatus"));
    m_spanStatus = new QLabel(this);
    m_spanStatus->setObjectName(QStringLiteral("spanStatus"));
    m_rate = new QLabel(this);
    m_rate->setObjectName(QStringLiteral("sweepRate"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("loadProgress"));
    m_progress->setRange(0, kPermille);
    m_progress->setTextVisible(false);
    m_cancelLoad = new QPushButton(tr("Cancel"), this);
    m_cancelLoad->setObjectName(QStringLiteral("cancelLoad"));
    statusBar()->addWidget(m_recordingStatus, 1);
    statusBar()->addWidget(m_sourceStatus, 1);
    statusBar()->addWidget(m_spanStatus);
    statusBar()->addPermanentWidget(m_progress);
    statusBar()->addPermanentWidget(m_cancelLoad);
    statusBar()->addPermanentWidget(m_rate);
    m_progress->hide();
    m_cancelLoad->hide();
    m_refreshTimer->setInterval(kFigureRefreshInterval);
    connectHandlers();
    showSource();
    refreshFigures();
    resize(kStartSize);
}

HistoryWindow::~HistoryWindow() = default;

QWidget *HistoryWindow::buildCentralWidget()
{
    m_waterfall = new WaterfallView(m_history);
    m_source = new QComboBox;
    m_source->setObjectName(QStringLiteral("source"));
    m_source->addItem(tr("Live"));
    auto *sourceLabel = new QLabel(tr("&Show:"));
    sourceLabel->setBuddy(m_source);
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(sourceLabel);
    sourceRow->addWidget(m_source, 1);
    auto *waterfallPanel = new QWidget;
    auto *waterfallLayout = new QVBoxLayout(waterfallPanel);
    waterfallLayout->setContentsMargins(0, 0, 0, 0);
    waterfallLayout->addLayout(sourceRow);
    waterfallLayout->addWidget(m_waterfall, 1);

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

    m_occupancy = new OccupancyView(m_statistics.statistics());
    auto *occupancyPanel = new QWidget;
    auto *occupancyLayout = new QVBoxLayout(occupancyPanel);
    occupancyLayout->setContentsMargins(0, 0, 0, 0);
    occupancyLayout->addLayout(thresholdRow);
    occupancyLayout->addWidget(m_occupancy, 1);

    m_model = new StatisticsModel(m_statistics.statistics(), this);
    auto *sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(m_model);
    sorted->setSortRole(Qt::UserRole);
    m_table = new QTableView;
    m_table->setObjectName(QStringLiteral("statistics"));
    m_table->setModel(sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(StatisticsModel::Channel, Qt::AscendingOrder);
    m_table->verticalHeader()->hide();
    // The columns share the window's width; the header texts wrap rather than widen them.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    m_table->horizontalHeader()->setMinimumHeight(kHeaderLines * m_table->fontMetrics().height() +
                                                  kHeaderPadding);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(waterfallPanel);
    splitter->addWidget(occupancyPanel);
    splitter->addWidget(m_table);
    splitter->setSizes({400, 160, 200});
    return splitter;
}

void HistoryWindow::buildMenus(const MonitorActions &actions)
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    m_openRecording = file->addAction(tr("&Open recording…"));
    m_openRecording->setObjectName(QStringLiteral("openRecording"));
    m_openRecording->setShortcut(QKeySequence::Open);
    m_compare = file->addAction(tr("Com&pare with…"));
    m_compare->setObjectName(QStringLiteral("compareWith"));
    m_clearBaseline = file->addAction(tr("C&lear baseline"));
    m_clearBaseline->setObjectName(QStringLiteral("clearBaseline"));
    m_clearBaseline->setEnabled(false);
    file->addSeparator();
    m_record = file->addAction(tr("&Record to CSV…"));
    m_record->setObjectName(QStringLiteral("record"));
    m_stopRecording = file->addAction(tr("S&top recording"));
    m_stopRecording->setObjectName(QStringLiteral("stopRecording"));
    file->addSeparator();
    file->addAction(actions.saveChartImage);
    m_saveWaterfall = file->addAction(tr("Save &waterfall image…"));
    m_exportStatistics = file->addAction(tr("&Export statistics (CSV)…"));
    // The level frequency-coordination software should treat as the channel's.
    QMenu *trace = file->addMenu(tr("Export &trace for frequency planning"));
    for (const auto &[level, text, name] :
         {std::tuple{TraceLevel::Max, tr("&Held maximum…"), "exportTraceMax"},
          std::tuple{TraceLevel::Mean, tr("&Mean…"), "exportTraceMean"},
          std::tuple{TraceLevel::Median, tr("Me&dian…"), "exportTraceMedian"},
          std::tuple{TraceLevel::P90, tr("&90th percentile…"), "exportTraceP90"}}) {
        QAction *action = trace->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, [this, chosen = level] { exportTrace(chosen); });
    }
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    view->addAction(actions.resetMaxHold);
    m_clearHistory = view->addAction(tr("&Clear history"));
    m_clearHistory->setObjectName(QStringLiteral("clearHistory"));
    view->addSeparator();
    m_utc = view->addAction(tr("Times in &UTC"));
    m_utc->setObjectName(QStringLiteral("utc"));
    m_utc->setCheckable(true);
    auto *clearSpan = new QAction(this);
    clearSpan->setShortcut(Qt::Key_Escape);
    addAction(clearSpan);
    connect(clearSpan, &QAction::triggered, m_waterfall, &WaterfallView::clearSelection);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(actions.showHelp);
    // Ctrl+H and the rest answer here too.
    addAction(actions.showHistory);
}

void HistoryWindow::connectHandlers()
{
    connect(m_threshold, &QSpinBox::valueChanged, this, [this](int dbm) {
        m_statistics.setThreshold(static_cast<qint16>(dbm));
        recount();
    });
    connect(m_openRecording, &QAction::triggered, this, &HistoryWindow::chooseRecordingToOpen);
    connect(m_compare, &QAction::triggered, this, &HistoryWindow::chooseBaseline);
    connect(m_clearBaseline, &QAction::triggered, this, &HistoryWindow::clearBaseline);
    connect(m_utc, &QAction::toggled, this, &HistoryWindow::setClock);
    connect(m_source, &QComboBox::currentIndexChanged, this, &HistoryWindow::showSource);
    connect(m_waterfall, &WaterfallView::selectionChanged, this, &HistoryWindow::recount);
    connect(m_cancelLoad, &QPushButton::clicked, m_loader, &RecordingLoader::cancel);
    connect(m_loader, &RecordingLoader::progressed, m_progress, &QProgressBar::setValue);
    connect(m_loader, &RecordingLoader::loaded, this, &HistoryWindow::showLoaded);
    connect(m_record, &QAction::triggered, this, &HistoryWindow::chooseRecordingFile);
    connect(m_stopRecording, &QAction::triggered, &m_recorder, &Recorder::stop);
    connect(m_saveWaterfall, &QAction::triggered, this, &HistoryWindow::saveWaterfallImage);
    connect(m_exportStatistics, &QAction::triggered, this, &HistoryWindow::exportStatistics);
    connect(m_clearHistory, &QAction::triggered, &m_history, &SweepHistory::clear);
    connect(&m_recorder, &Recorder::started, this, &HistoryWindow::showRecordingState);
    connect(&m_recorder, &Recorder::stopped, this, &HistoryWindow::showRecordingState);
    connect(&m_recorder, &Recorder::failed, this, &HistoryWindow::showRecordingState);
    connect(&m_history, &SweepHistory::cleared, this, &HistoryWindow::recount);
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
    showSpan();
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
    if (!m_spanCounted) {
        m_statistics.forgetDroppedRows();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !record::writeSummaryCsv(file, shownStatistics(), m_baseline ? &*m_baseline : nullptr) ||
        !file.commit()) {
        warn(path + QLatin1String(": ") + file.errorString());
    }
}

void HistoryWindow::exportTrace(TraceLevel level)
{
    const QString path = m_chooser(
        this, tr("Export trace for frequency planning"),
        savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("csv")),
        tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !record::writeTrace(file, shownStatistics(), level) ||
        !file.commit()) {
        warn(path + QLatin1String(": ") + file.errorString());
    }
}

void HistoryWindow::warn(const QString &message)
{
    // Window-modal and shown without a nested event loop: a warning never stalls the window's
    // own loop (live rows, loads finishing) while it waits to be read.
    auto *box =
        new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool HistoryWindow::isLoading() const
{
    return m_loader->isLoading();
}

bool HistoryWindow::showsLive() const
{
    return m_source->currentIndex() == 0 || !m_opened;
}

const ChannelStatistics &HistoryWindow::shownStatistics() const
{
    return m_spanCounted ? m_spanStatistics : m_statistics.statistics();
}

void HistoryWindow::chooseRecordingToOpen()
{
    const QString path = m_openChooser(this, tr("Open recording"), QString(),
                                       tr("Recordings (*.csv *.jsonl *.gz);;All files (*)"));
    if (!path.isEmpty()) {
        openRecording(path);
    }
}

void HistoryWindow::openRecording(const QString &path)
{
    m_progress->setValue(0);
    m_progress->show();
    m_cancelLoad->show();
    m_loader->load(path);
}

void HistoryWindow::showLoaded(const QString &path, const std::shared_ptr<RecordingRead> &read)
{
    m_progress->hide();
    m_cancelLoad->hide();
    switch (read->status) {
    case RecordingRead::Status::Cancelled:
        return;
    case RecordingRead::Status::OpenFailed:
    case RecordingRead::Status::NotRecording:
        warn(read->error);
        return;
    case RecordingRead::Status::Read:
        break;
    }
    m_waterfall->setRows(nullptr);
    m_opened = std::make_unique<RecordingRows>(std::move(read->recording));
    m_openedPath = path;
    m_sourceStatus->setToolTip(read->firstProblem);
    if (m_source->count() < 2) {
        m_source->addItem(QString());
    }
    m_source->setItemText(1, QFileInfo(path).fileName());
    m_source->setItemData(1, read->skippedLines);
    if (m_source->currentIndex() == 1) {
        showSource();
    } else {
        m_source->setCurrentIndex(1);
    }
}

void HistoryWindow::showSource()
{
    const bool live = showsLive();
    m_waterfall->setRows(live ? nullptr : m_opened.get());
    m_waterfall->setPlaceholder(live ? tr("Waiting for the first sweep: start the monitor, or open "
                                          "a recording (File → Open recording…).")
                                     : tr("This recording holds no complete sweep."));
    m_recordingStatus->setVisible(live);
    m_rate->setVisible(live);
    m_sourceStatus->setVisible(!live);
    if (!live) {
        const Recording &recording = m_opened->recording();
        QString text = QFileInfo(m_openedPath).fileName();
        if (!recording.isEmpty()) {
            const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
            text += QStringLiteral(": %1 – %2%3, ")
                        .arg(clockTime(recording.utcMs(0), format),
                             clockTime(recording.utcMs(recording.rows() - 1), format),
                             m_clock == Qt::UTC ? QStringLiteral(" UTC") : QString());
        } else {
            text += QStringLiteral(": ");
        }
        text += tr("%1 sweeps").arg(QLocale().toString(recording.rows()));
        const int skipped = m_source->itemData(1).toInt();
        if (skipped > 0) {
            text += QStringLiteral(", ") +
                    tr("%1 damaged lines skipped").arg(QLocale().toString(skipped));
        }
        m_sourceStatus->setText(text);
    }
    recount();
}

void HistoryWindow::recount()
{
    const auto &span = m_waterfall->selection();
    m_spanCounted = span.has_value() || !showsLive();
    if (m_spanCounted) {
        m_spanStatistics = ChannelStatistics(m_statistics.threshold());
        if (showsLive()) {
            m_spanSweeps = history::addRows(m_spanStatistics, m_history, span->first, span->second);
        } else {
            const int newest = span ? span->first : 0;
            const int oldest = span ? span->second : m_opened->rowCount() - 1;
            const auto [first, last] = m_opened->recordingRows(newest, oldest);
            record::addRows(m_spanStatistics, m_opened->recording(), first, last);
            m_spanSweeps = static_cast<int>(last - first);
        }
    }
    m_model->setStatistics(shownStatistics());
    m_occupancy->setStatistics(shownStatistics());
    refreshFigures();
}

void HistoryWindow::showSpan()
{
    const auto &span = m_waterfall->selection();
    if (!span) {
        m_spanStatus->clear();
        return;
    }
    const SweepRows &rows = showsLive() ? static_cast<const SweepRows &>(m_history) : *m_opened;
    if (span->second >= rows.rowCount()) {
        return;
    }
    const QString format = QStringLiteral("HH:mm:ss");
    m_spanStatus->setText(QStringLiteral("%1–%2%3, %4")
                              .arg(clockTime(rows.row(span->second).utcMs, format),
                                   clockTime(rows.row(span->first).utcMs, format),
                                   m_clock == Qt::UTC ? QStringLiteral(" UTC") : QString(),
                                   tr("%1 sweeps").arg(QLocale().toString(m_spanSweeps))));
}

QString HistoryWindow::clockTime(qint64 utcMs, const QString &format) const
{
    return QDateTime::fromMSecsSinceEpoch(utcMs, m_clock).toString(format);
}

void HistoryWindow::setClock(bool utc)
{
    m_clock = utc ? Qt::UTC : Qt::LocalTime;
    m_waterfall->setClock(m_clock);
    m_model->setClock(m_clock);
    showSource();
}

void HistoryWindow::chooseBaseline()
{
    const QString path =
        m_openChooser(this, tr("Compare with"), QString(),
                      tr("Recordings and summaries (*.csv *.jsonl *.gz);;All files (*)"));
    if (!path.isEmpty()) {
        compareWith(path);
    }
}

void HistoryWindow::compareWith(const QString &path)
{
    const record::BaselineRead read = record::readBaseline(path, m_statistics.threshold());
    if (!read.baseline) {
        warn(read.error);
        return;
    }
    m_baseline = read.baseline;
    m_model->setBaseline(&*m_baseline);
    m_occupancy->setBaseline(&*m_baseline);
    m_clearBaseline->setEnabled(true);
}

void HistoryWindow::clearBaseline()
{
    m_model->setBaseline(nullptr);
    m_occupancy->setBaseline(nullptr);
    m_baseline.reset();
    m_clearBaseline->setEnabled(false);
}
