#include "windows/history/reportexport.h"

#include "engine/record/plansurvey.h"
#include "report/reportcontent.h"

#include <QAction>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

bool sameFigures(const PlanSurvey &a, const PlanSurvey &b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), [](const PlanChannel &x, const PlanChannel &y) {
            return x.measured == y.measured && x.occupancyPct == y.occupancyPct &&
                   x.occupancyLowPct == y.occupancyLowPct &&
                   x.occupancyHighPct == y.occupancyHighPct && x.busyHour == y.busyHour &&
                   x.maxDbm == y.maxDbm && x.meanDbm == y.meanDbm;
        });
}

} // namespace

ReportExport::ReportExport(Gather gather, SavePathChooser chooser, QWidget *window)
    : QObject(window)
    , m_gather(std::move(gather))
    , m_chooser(std::move(chooser))
    , m_window(window)
    , m_action(new QAction(tr("E&xport report…"), this))
{
    m_action->setObjectName(QStringLiteral("exportReport"));
    connect(m_action, &QAction::triggered, this, &ReportExport::run);
}

ReportExport::~ReportExport()
{
    // A report still being written is finished: its file is never left half-written.
    if (m_thread != nullptr) {
        m_thread->wait();
    }
}

std::optional<ReportContent> ReportExport::contentOf(const Shown &shown, QString *nothing)
{
    ReportContent content;
    ReportFacts &facts = content.facts;
    facts.recording = shown.recording;
    facts.receiver = shown.receiver;
    facts.thresholdSource = tr("set in the window");
    qint64 firstUtcMs = 0;
    qint64 lastUtcMs = 0;
    for (int age = shown.oldestAge; age >= shown.newestAge; --age) {
        const HistoryRow row = shown.rows.row(age);
        if (!row.runStart) {
            firstUtcMs = content.waterfall.sweeps() == 0 ? row.utcMs : firstUtcMs;
            lastUtcMs = row.utcMs;
            content.waterfall.addSweep(row.utcMs, row.dbm);
        } else if (content.waterfall.sweeps() > 0) {
            content.waterfall.breakRun();
            ++facts.breaks;
        }
    }
    facts.sweeps = content.waterfall.sweeps();
    content.statistics = shown.statistics;
    if (shown.plan &&
        sameFigures(shown.plan->survey, plansurvey::fromStatistics(shown.statistics))) {
        content.plan = shown.plan;
    }
    if (shown.alarms != nullptr) {
        ReportAlarms alarms = shown.alarms->within(firstUtcMs, lastUtcMs);
        if (shown.alarmRules || alarms.raised + alarms.cleared + alarms.ended > 0) {
            content.alarms = std::move(alarms);
        }
    }
    *nothing = surveyreport::emptiness(content);
    if (!nothing->isEmpty()) {
        return std::nullopt;
    }
    return content;
}

void ReportExport::run()
{
    QString nothing;
    std::optional<ReportContent> content = m_gather(&nothing);
    if (!content) {
        Q_EMIT failed(tr("Nothing to report: %1").arg(nothing));
        return;
    }
    const QString path = m_chooser(
        m_window, tr("Export report"),
        savepath::proposed(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                           QStringLiteral("pdf")),
        tr("PDF files (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    m_action->setEnabled(false);
    auto error = std::make_shared<QString>();
    m_thread = QThread::create([content = std::move(*content), path, error]() mutable {
        if (!content.facts.recording.isEmpty()) {
            content.facts.sha256 = surveyreport::fileSha256(content.facts.recording, error.get());
        }
        if (error->isEmpty()) {
            *error = surveyreport::writeFile(path, content);
        }
    });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, [this, error, path] {
        m_thread->deleteLater();
        m_thread = nullptr;
        m_action->setEnabled(true);
        if (error->isEmpty()) {
            Q_EMIT written(path);
        } else {
            Q_EMIT failed(*error);
        }
    });
    m_thread->start();
}
