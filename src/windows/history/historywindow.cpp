#include "windows/history/historywindow.h"

#include "engine/history/historystatistics.h"
#include "engine/history/sweephistory.h"
#include "painters/colormap.h"
#include "report/reportcontent.h"
#include "windows/history/alarmspane.h"
#include "windows/history/baselinecontrols.h"
#include "windows/history/clocktext.h"
#include "windows/history/exportcontrols.h"
#include "windows/history/historysource.h"
#include "windows/history/hourmapview.h"
#include "windows/history/hoursbox.h"
#include "windows/history/loadprogress.h"
#include "windows/history/monitoractions.h"
#include "windows/history/occupancyview.h"
#include "windows/history/planpane.h"
#include "windows/history/recordingcontrols.h"
#include "windows/history/reportexport.h"
#include "windows/history/statisticsmodel.h"
#include "windows/history/statisticstable.h"
#include "windows/history/waterfallview.h"

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <utility>

namespace {

constexpr std::chrono::seconds kFigureRefreshInterval{1};
// Fits a 1024 × 768 screen with a window manager's frame and a panel.
constexpr QSize kStartSize(960, 680);
// The waterfall, the occupancy bars and the views below them.
const QList<int> kStartSplit = {330, 140, 210};

const QString kGeometryKey = QStringLiteral("history/geometry");
const QString kStateKey = QStringLiteral("history/state");
const QString kSplitterKey = QStringLiteral("history/splitter");
const QString kColumnsKey = QStringLiteral("history/columns");

} // namespace

HistoryWindow::HistoryWindow(SweepHistory &history, HistoryStatistics &statistics,
                             Recorder &recorder, const MonitorActions &actions,
                             SavePathChooser chooser, QWidget *parent)
    : QMainWindow(parent)
    , m_history(history)
    , m_statistics(statistics)
    , m_source(new HistorySource(history, this))
    , m_recording(new RecordingControls(recorder, chooser, this))
    , m_baseline(new BaselineControls(statistics, this))
    , m_exports(
          new ExportControls({[this] { return m_waterfall->image(); },
                              [this]() -> const ChannelStatistics & { return exactStatistics(); },
                              [this] { return m_baseline->baseline(); }},
                             chooser, this))
    , m_report(new ReportExport(
          [this](QString *nothing) {
              const SweepRows &rows = m_source->rows();
              const auto span =
                  m_waterfall->selection().value_or(std::pair{0, rows.rowCount() - 1});
              std::optional<ReportPlan> plan;
              if (m_plan->report()) {
                  plan = ReportPlan{*m_plan->report(), m_plan->survey()};
              }
              // The alarms watch the live sweeps only, not a recording opened.
              const auto *alarms = m_source->showsLive() ? findChild<AlarmsPane *>() : nullptr;
              return ReportExport::contentOf({rows, span.first, span.second, exactStatistics(),
                                              m_source->openedPath(), m_source->openedReceiver(),
                                              plan,
                                              alarms != nullptr ? alarms->keptEvents() : nullptr,
                                              alarms != nullptr && alarms->watches()},
                                             nothing);
          },
          chooser, this))
    , m_loadProgress(new LoadProgress(this))
    , m_refreshTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(tr("KVT-318 History"));
    setCentralWidget(buildCentralWidget());
    auto *plan = new PlanPane([this]() -> const ChannelStatistics & { return exactStatistics(); },
                              std::move(chooser));
    addView(plan, tr("Pla&n"));
    m_plan = plan;
    connect(plan, &PlanPane::planned, m_occupancy, &OccupancyView::setPlanned);
    connect(plan, &PlanPane::failed, this, &HistoryWindow::warn);
    buildMenus(actions);
    buildStatusBar();
    m_refreshTimer->setInterval(kFigureRefreshInterval);
    connectHandlers();
    showSource();
    refreshFigures();
    resize(kStartSize);
}

HistoryWindow::~HistoryWindow()
{
    // Still open as the program ends.
    if (isVisible()) {
        saveArrangement();
    }
}

QWidget *HistoryWindow::buildCentralWidget()
{
    m_waterfall = new WaterfallView(m_history);
    auto *sourceLabel = new QLabel(tr("&Show:"));
    sourceLabel->setBuddy(m_source->chooser());
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(sourceLabel);
    sourceRow->addWidget(m_source->chooser(), 1);
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
    m_hours = new HoursBox;
    thresholdRow->addWidget(m_hours, 1);

    m_occupancy = new OccupancyView(m_statistics.statistics());
    m_byHour = new HourMapView(m_statistics.statistics());
    auto *views = new QTabWidget;
    views->setObjectName(QStringLiteral("occupancyViews"));
    views->setDocumentMode(true);
    views->addTab(m_occupancy, tr("&Occupancy"));
    views->addTab(m_byHour, tr("&By hour"));
    auto *occupancyPanel = new QWidget;
    auto *occupancyLayout = new QVBoxLayout(occupancyPanel);
    occupancyLayout->setContentsMargins(0, 0, 0, 0);
    occupancyLayout->addLayout(thresholdRow);
    occupancyLayout->addWidget(views, 1);

    m_model = new StatisticsModel(m_statistics.statistics(), this);
    m_table = new StatisticsTable(m_model);
    m_views = new QTabWidget;
    m_views->setObjectName(QStringLiteral("views"));
    m_views->setDocumentMode(true);
    m_views->addTab(m_table, tr("Stat&istics"));

    m_splitter = new QSplitter(Qt::Vertical);
    m_splitter->setObjectName(QStringLiteral("surveySplitter"));
    m_splitter->addWidget(waterfallPanel);
    m_splitter->addWidget(occupancyPanel);
    m_splitter->addWidget(m_views);
    m_splitter->setSizes(kStartSplit);
    return m_splitter;
}

void HistoryWindow::addView(QWidget *view, const QString &title)
{
    m_views->addTab(view, title);
}

QDockWidget *HistoryWindow::addPane(QWidget *pane, const QString &title, const QString &name)
{
    auto *dock = new QDockWidget(title, this);
    dock->setObjectName(name);
    dock->setWidget(pane);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    m_viewMenu->addAction(dock->toggleViewAction());
    return dock;
}

QString HistoryWindow::defaultArrangementPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kvt318-monitor/history.ini");
}

void HistoryWindow::keepArrangementIn(const QString &path)
{
    m_arrangementPath = path;
    const QSettings kept(path, QSettings::IniFormat);
    // Each part on its own: one that cannot be read leaves that part as it is.
    restoreGeometry(kept.value(kGeometryKey).toByteArray());
    restoreState(kept.value(kStateKey).toByteArray());
    m_splitter->restoreState(kept.value(kSplitterKey).toByteArray());
    QList<int> widths;
    for (const QString &text : kept.value(kColumnsKey).toStringList()) {
        widths.append(std::max(0, text.toInt()));
    }
    if (!widths.isEmpty()) {
        m_table->setUserWidths(widths);
    }
}

void HistoryWindow::saveArrangement() const
{
    if (m_arrangementPath.isEmpty()) {
        return;
    }
    QDir().mkpath(QFileInfo(m_arrangementPath).absolutePath());
    QSettings kept(m_arrangementPath, QSettings::IniFormat);
    kept.setValue(kGeometryKey, saveGeometry());
    kept.setValue(kStateKey, saveState());
    kept.setValue(kSplitterKey, m_splitter->saveState());
    QStringList widths;
    for (const int width : m_table->userWidths()) {
        widths.append(QString::number(width));
    }
    if (widths.isEmpty()) {
        kept.remove(kColumnsKey);
    } else {
        kept.setValue(kColumnsKey, widths);
    }
}

void HistoryWindow::buildMenus(const MonitorActions &actions)
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(m_source->openAction());
    file->addAction(actions.watchRemote);
    file->addAction(m_baseline->compareAction());
    file->addAction(m_baseline->clearAction());
    file->addSeparator();
    file->addAction(m_recording->recordAction());
    file->addAction(m_recording->stopAction());
    file->addSeparator();
    file->addAction(actions.saveChartImage);
    m_exports->addTo(file);
    file->addAction(m_report->action());
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    m_viewMenu = view;
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
    // The panes follow.
    view->addSeparator();

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(actions.showHelp);
    // Ctrl+H and the rest answer here too.
    addAction(actions.showHistory);
}

void HistoryWindow::buildStatusBar()
{
    m_spanStatus = new QLabel(this);
    m_spanStatus->setObjectName(QStringLiteral("spanStatus"));
    m_rate = new QLabel(this);
    m_rate->setObjectName(QStringLiteral("sweepRate"));
    statusBar()->addWidget(m_recording->status(), 1);
    statusBar()->addWidget(m_source->status(), 1);
    statusBar()->addWidget(m_spanStatus);
    m_loadProgress->follow(m_source->read());
    m_loadProgress->follow(m_baseline->read());
    statusBar()->addPermanentWidget(m_loadProgress->bar());
    statusBar()->addPermanentWidget(m_loadProgress->cancelButton());
    statusBar()->addPermanentWidget(m_rate);
}

void HistoryWindow::connectHandlers()
{
    connect(m_threshold, &QSpinBox::valueChanged, this, [this](int dbm) {
        m_statistics.setThreshold(static_cast<qint16>(dbm));
        recount();
    });
    connect(m_hours, &HoursBox::changed, this, [this](const HourWindows &hours) {
        m_statistics.setHours(hours);
        recount();
    });
    connect(m_utc, &QAction::toggled, this, &HistoryWindow::setClock);
    connect(m_source, &HistorySource::changed, this, &HistoryWindow::showSource);
    connect(m_source, &HistorySource::failed, this, &HistoryWindow::warn);
    connect(m_recording, &RecordingControls::failed, this, &HistoryWindow::warn);
    connect(m_baseline, &BaselineControls::changed, this, &HistoryWindow::showBaseline);
    connect(m_baseline, &BaselineControls::failed, this, &HistoryWindow::warn);
    connect(m_exports, &ExportControls::failed, this, &HistoryWindow::warn);
    connect(m_report, &ReportExport::failed, this, &HistoryWindow::warn);
    connect(m_waterfall, &WaterfallView::selectionChanged, this, &HistoryWindow::recount);
    connect(m_clearHistory, &QAction::triggered, &m_history, &SweepHistory::clear);
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
    saveArrangement();
}

void HistoryWindow::refreshFigures()
{
    m_model->refresh();
    m_occupancy->update();
    m_byHour->update();
    showSpan();
    m_rate->setText(
        tr("%1 sweeps/s")
            .arg(m_history.sweepsPerSecond(QDateTime::currentMSecsSinceEpoch()), 0, 'f', 2));
    m_recording->showState();
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

void HistoryWindow::openRecording(const QString &path)
{
    m_source->open(path);
}

void HistoryWindow::compareWith(const QString &path)
{
    m_baseline->compareWith(path);
}

void HistoryWindow::setOpenPathChooser(const SavePathChooser &chooser)
{
    m_source->setOpenPathChooser(chooser);
    m_baseline->setOpenPathChooser(chooser);
}

bool HistoryWindow::isLoading() const
{
    return m_source->isLoading() || m_baseline->isLoading();
}

const ChannelStatistics &HistoryWindow::shownStatistics() const
{
    return m_spanCounted ? m_spanStatistics : m_statistics.statistics();
}

const ChannelStatistics &HistoryWindow::exactStatistics()
{
    if (!m_spanCounted) {
        m_statistics.forgetDroppedRows();
    }
    return shownStatistics();
}

void HistoryWindow::showBaseline(const Baseline *baseline)
{
    m_model->setBaseline(baseline);
    m_occupancy->setBaseline(baseline);
}

void HistoryWindow::showSource()
{
    const bool live = m_source->showsLive();
    m_waterfall->setRows(m_source->openedRows());
    m_waterfall->setPlaceholder(live ? tr("Waiting for the first sweep: start the monitor, or open "
                                          "a recording (File → Open recording…).")
                                     : tr("This recording holds no complete sweep."));
    m_recording->status()->setVisible(live);
    m_rate->setVisible(live);
    m_source->showStatus(m_clock);
    recount();
}

void HistoryWindow::recount()
{
    const auto &span = m_waterfall->selection();
    m_spanCounted = span.has_value() || !m_source->showsLive();
    if (m_spanCounted) {
        m_spanStatistics = ChannelStatistics(m_statistics.threshold());
        m_spanStatistics.setHours(m_statistics.statistics().hours());
        m_spanSweeps = m_source->count(m_spanStatistics, span);
    }
    m_model->setStatistics(shownStatistics());
    m_occupancy->setStatistics(shownStatistics());
    m_byHour->setStatistics(shownStatistics());
    refreshFigures();
}

void HistoryWindow::showSpan()
{
    const auto &span = m_waterfall->selection();
    if (!span) {
        m_spanStatus->clear();
        return;
    }
    const SweepRows &rows = m_source->rows();
    if (span->second >= rows.rowCount()) {
        return;
    }
    const QString format = QStringLiteral("HH:mm:ss");
    m_spanStatus->setText(QStringLiteral("%1–%2%3, %4")
                              .arg(clocktext::time(rows.row(span->second).utcMs, m_clock, format),
                                   clocktext::time(rows.row(span->first).utcMs, m_clock, format),
                                   clocktext::suffix(m_clock),
                                   tr("%1 sweeps").arg(QLocale().toString(m_spanSweeps))));
}

void HistoryWindow::setClock(bool utc)
{
    m_clock = utc ? Qt::UTC : Qt::LocalTime;
    m_waterfall->setClock(m_clock);
    m_model->setClock(m_clock);
    showSource();
}
