#include "windows/history/historysource.h"

#include "engine/history/recordingrows.h"
#include "engine/history/sweephistory.h"
#include "engine/record/backgroundread.h"
#include "windows/history/clocktext.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>

namespace {

constexpr int kLive = 0;
constexpr int kOpened = 1;

} // namespace

HistorySource::HistorySource(const SweepHistory &history, QWidget *window)
    : QObject(window)
    , m_history(history)
    , m_window(window)
    , m_openChooser(savepath::openDialog())
    , m_read(new BackgroundRead(this))
    , m_chooser(new QComboBox)
    , m_open(new QAction(tr("&Open recording…"), this))
    , m_status(new QLabel)
{
    m_chooser->setObjectName(QStringLiteral("source"));
    m_chooser->addItem(tr("Live"));
    m_open->setObjectName(QStringLiteral("openRecording"));
    m_open->setShortcut(QKeySequence::Open);
    m_status->setObjectName(QStringLiteral("sourceStatus"));

    connect(m_open, &QAction::triggered, this, &HistorySource::chooseRecording);
    connect(m_chooser, &QComboBox::currentIndexChanged, this, &HistorySource::changed);
}

HistorySource::~HistorySource() = default;

void HistorySource::chooseRecording()
{
    const QString path = m_openChooser(m_window, tr("Open recording"), QString(),
                                       tr("Recordings (*.csv *.jsonl *.gz);;All files (*)"));
    if (!path.isEmpty()) {
        open(path);
    }
}

void HistorySource::open(const QString &path)
{
    auto read = std::make_shared<RecordingRead>();
    m_read->start(
        [path, read](const RecordingReader::Progress &progress) {
            *read = RecordingReader::readFile(path, progress);
        },
        [this, path, read] { showLoaded(path, read); });
}

bool HistorySource::isLoading() const
{
    return m_read->isRunning();
}

bool HistorySource::showsLive() const
{
    return m_chooser->currentIndex() == kLive || !m_opened;
}

const SweepRows &HistorySource::rows() const
{
    return showsLive() ? static_cast<const SweepRows &>(m_history) : *m_opened;
}

const SweepRows *HistorySource::openedRows() const
{
    return showsLive() ? nullptr : m_opened.get();
}

QString HistorySource::openedPath() const
{
    return showsLive() ? QString() : m_openedPath;
}

QString HistorySource::openedReceiver() const
{
    return showsLive() ? QString() : m_opened->recording().receiver();
}

void HistorySource::showLoaded(const QString &path, const std::shared_ptr<RecordingRead> &read)
{
    switch (read->status) {
    case RecordingRead::Status::Cancelled:
        return;
    case RecordingRead::Status::OpenFailed:
    case RecordingRead::Status::NotRecording:
        Q_EMIT failed(read->error);
        return;
    case RecordingRead::Status::Read:
        break;
    }
    // Kept until the views have been told, as they may still point at its rows.
    const std::unique_ptr<RecordingRows> previous =
        std::exchange(m_opened, std::make_unique<RecordingRows>(std::move(read->recording)));
    m_openedPath = path;
    m_status->setToolTip(read->firstProblem);
    if (m_chooser->count() <= kOpened) {
        m_chooser->addItem(QString());
    }
    m_chooser->setItemText(kOpened, QFileInfo(path).fileName());
    m_chooser->setItemData(kOpened, read->skippedLines);
    if (m_chooser->currentIndex() == kOpened) {
        Q_EMIT changed();
    } else {
        m_chooser->setCurrentIndex(kOpened);
    }
}

void HistorySource::showStatus(Qt::TimeSpec clock)
{
    const bool live = showsLive();
    m_status->setVisible(!live);
    if (live) {
        return;
    }
    const Recording &recording = m_opened->recording();
    QString text = QFileInfo(m_openedPath).fileName();
    if (!recording.isEmpty()) {
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        text += QStringLiteral(": %1 – %2%3, ")
                    .arg(clocktext::time(recording.utcMs(0), clock, format),
                         clocktext::time(recording.utcMs(recording.rows() - 1), clock, format),
                         clocktext::suffix(clock));
    } else {
        text += QStringLiteral(": ");
    }
    text += tr("%1 sweeps").arg(QLocale().toString(recording.rows()));
    const int skipped = m_chooser->itemData(kOpened).toInt();
    if (skipped > 0) {
        text +=
            QStringLiteral(", ") + tr("%1 damaged lines skipped").arg(QLocale().toString(skipped));
    }
    m_status->setText(text);
}

int HistorySource::count(ChannelStatistics &statistics,
                         const std::optional<std::pair<int, int>> &span) const
{
    if (showsLive()) {
        return history::addRows(statistics, m_history, span->first, span->second);
    }
    const int newest = span ? span->first : 0;
    const int oldest = span ? span->second : m_opened->rowCount() - 1;
    const auto [first, last] = m_opened->recordingRows(newest, oldest);
    record::addRows(statistics, m_opened->recording(), first, last);
    return static_cast<int>(last - first);
}
