#include "windows/history/baselinecontrols.h"

#include "engine/history/historystatistics.h"
#include "engine/record/backgroundread.h"

#include <QAction>
#include <QWidget>

#include <memory>

BaselineControls::BaselineControls(const HistoryStatistics &statistics, QWidget *window)
    : QObject(window)
    , m_statistics(statistics)
    , m_window(window)
    , m_chooser(savepath::openDialog())
    , m_read(new BackgroundRead(this))
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
    auto read = std::make_shared<record::BaselineRead>();
    m_read->start(
        [path, read,
         threshold = m_statistics.threshold()](const RecordingReader::Progress &progress) {
            *read = record::readBaseline(path, threshold, progress);
        },
        [this, read] { showRead(*read); });
}

bool BaselineControls::isLoading() const
{
    return m_read->isRunning();
}

void BaselineControls::showRead(const record::BaselineRead &read)
{
    if (read.cancelled) {
        return;
    }
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
    m_read->cancel();
    Q_EMIT changed(nullptr);
    m_baseline.reset();
    m_clear->setEnabled(false);
}
