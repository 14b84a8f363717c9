#include "engine/record/backgroundread.h"

#include <QThread>
#include <QTimer>

#include <chrono>
#include <utility>

namespace {
constexpr std::chrono::milliseconds kProgressInterval{100};
constexpr qint64 kPermille = 1000;
} // namespace

BackgroundRead::BackgroundRead(QObject *parent)
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

BackgroundRead::~BackgroundRead()
{
    stopThread();
}

void BackgroundRead::start(Work work, std::function<void()> done)
{
    stopThread();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_permille = std::make_shared<std::atomic<int>>(0);
    m_thread = QThread::create([work = std::move(work), cancel = m_cancel, permille = m_permille] {
        work([&cancel, &permille](qint64 read, qint64 total) {
            if (total > 0) {
                permille->store(static_cast<int>(kPermille * read / total));
            }
            return !cancel->load();
        });
    });
    const int generation = ++m_generation;
    connect(m_thread, &QThread::finished, this, [this, generation, done = std::move(done)] {
        // A read cancelled by a newer one has nothing to say.
        if (generation != m_generation || m_thread == nullptr) {
            return;
        }
        stopThread();
        Q_EMIT ended();
        done();
    });
    m_thread->start(QThread::LowPriority);
    m_progressTimer->start();
    Q_EMIT started();
}

void BackgroundRead::cancel()
{
    if (m_cancel) {
        m_cancel->store(true);
    }
}

void BackgroundRead::stopThread()
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
