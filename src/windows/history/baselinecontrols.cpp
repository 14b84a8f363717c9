#include "windows/history/baselinecontrols.h"

#include "engine/history/historystatistics.h"

#include <QAction>
#include <QWidget>

BaselineControls::BaselineControls(const HistoryStatistics &statistics, QWidget *window)
    : QObject(window)
    , m_statistics(statistics)
    , m_window(window)
    , m_chooser(savepath::openDialog())
    , m_compare(new QAction(tr("Com&pare with…"), this))
    , m_clear(new QAction(tr("C&lear baseline"), this))
{
    m_compare->setObjectName(QStringLiteral("compareWith"));
    m_clear->setObjectName(QStringLiteral("clearBaseline"));
    m_clear->setEnabled(false);
    connect(m_compare, &QAction::triggered, this, &BaselineControls::choose);
    connect(m_clear, &QAction::triggered, this, &BaselineControls::clear);
}

void BaselineControls::choose()
{
    const QString path =
        m_chooser(m_window, tr("Compare with"), QString(),
                  tr("Recordings and summaries (*.csv *.jsonl *.gz);;All files (*)"));
    if (!path.isEmpty()) {
        compareWith(path);
    }
}

void BaselineControls::compareWith(const QString &path)
{
    const record::BaselineRead read = record::readBaseline(path, m_statistics.threshold());
    if (!read.baseline) {
        Q_EMIT failed(read.error);
        return;
    }
    m_baseline = read.baseline;
    m_clear->setEnabled(true);
    Q_EMIT changed(&*m_baseline);
}

void BaselineControls::clear()
{
    Q_EMIT changed(nullptr);
    m_baseline.reset();
    m_clear->setEnabled(false);
}
