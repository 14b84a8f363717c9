#include "engine/record/recordingloader.h"

#include <QThread>
#include <QTimer>

#include <chrono>

namespace {
constexpr std::chrono::milliseconds kProgressInterval{100};
constexpr qint64 kPermille = 1000;
} // namespace

RecordingLoader::RecordingLoader(QObject *parent)
    : QObject(parent)
    , m_progressTimer(new QTimer(this))
{
    m_progressTimer->setInterval(kProgressInterval);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        if (m_permille) {
            Q_EMIT progressed(m_permille->load());
        }
    });
}

RecordingLoader::~RecordingLoader()
{
    stopThread();
}

void RecordingLoader::load(const QString &path)
{
    stopThread();
    auto result = std::make_shared<RecordingRead>();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_permille = std::make_shared<std::atomic<int>>(0);
    m_thread = QThread::create([path, result, cancel = m_cancel, permille = m_permille] {
        *result = RecordingReader::readFile(path, [&cancel, &permille](qint64 done, qint64 total) {
            if (total > 0) {
                permille->store(static_cast<int>(kPermille * done / total));
            }
            return !cancel->load();
        });
    });
    const int generation = ++m_generation;
    connect(m_thread, &QThread::finished, this, [this, generation, path, result] {
        // A load cancelled by a newer one has nothing to say.
        if (generation != m_generation || m_thread == nullptr) {
            return;
        }
        stopThread();
        Q_EMIT loaded(path, result);
    });
    m_thread->start(QThread::LowPriority);
    m_progressTimer->start();
}

void RecordingLoader::cancel()
{
    if (m_cancel) {
        m_cancel->store(true);
    }
}

void RecordingLoader::stopThread()
{
    if (m_thread == nullptr) {
        return;
    }
    cancel();
    m_progressTimer->stop();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
