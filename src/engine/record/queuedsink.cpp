#include "engine/record/queuedsink.h"

#include "engine/record/recordsink.h"

#include <QCoreApplication>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

using Record = std::variant<SweepRecord, Reading>;

struct QueuedSink::State
{
    std::mutex mutex;
    std::condition_variable wake; // the writer waits for rows, a close or an abandon
    std::condition_variable done; // close waits for the writer
    std::deque<Record> queue;
    std::size_t capacity = 0;
    std::unique_ptr<RecordSink> sink; // the writer's alone once it runs
    std::function<void()> failed;
    std::function<void(const FileNotice &)> noticed;
    std::atomic<qint64> written{0}; // rows the sink took, dropped ones too
    std::atomic<qint64> dropped{0};
    std::optional<Failure> failure;
    bool failureTaken = false;
    bool writing = false; // a row taken from the queue is being written
    bool reopenDue = false;
    bool closing = false;
    bool abandoned = false;
    bool finished = false;

    // Under the lock.
    void fail(const QString &message, qint64 alsoDropped)
    {
        failure = Failure{message, static_cast<qint64>(queue.size()) + alsoDropped};
        queue.clear();
        if (failed) {
            failed();
        }
    }

    // Under the lock.
    void tell(const std::vector<FileNotice> &notices) const
    {
        for (const FileNotice &notice : notices) {
            if (noticed) {
                noticed(notice);
            }
        }
    }

    void run();
};

void QueuedSink::State::run()
{
    RecordSink &out = *sink;
    Clock::time_point lastSync{};
    const bool headed = out.writeHeader();
    bool unsynced = headed;
    std::unique_lock lock(mutex);
    if (!headed) {
        fail(out.errorString(), 0);
    }
    const auto ready = [this] {
        return !queue.empty() || reopenDue || closing || failure || abandoned;
    };
    const auto syncNow = [&] {
        lock.unlock();
        lastSync = Clock::now();
        unsynced = false;
        const bool synced = out.sync();
        lock.lock();
        return synced;
    };
    for (;;) {
        if (unsynced) {
            // Rows have stopped coming: what was written reaches the disk a second after.
            if (!wake.wait_until(lock, lastSync + kSyncInterval, ready)) {
                if (!syncNow()) {
                    fail(out.errorString(), 0);
                    break;
                }
                continue;
            }
        } else {
            wake.wait(lock, ready);
        }
        if (failure || abandoned) {
            break;
        }
        if (reopenDue) {
            reopenDue = false;
            lock.unlock();
            const bool reopened = out.reopen();
            const std::vector<FileNotice> notices = out.takeNotices();
            lock.lock();
            tell(notices);
            if (!reopened) {
                fail(out.errorString(), 0);
                break;
            }
            // The new file's header reaches the disk with the next sync.
            unsynced = true;
            continue;
        }
        if (queue.empty()) {
            // Closing: what the format still holds goes out, then everything to the disk.
            lock.unlock();
            const bool ended = out.writeEnd();
            lock.lock();
            if (!ended || !syncNow()) {
                fail(out.errorString(), 0);
            }
            break;
        }
        const Record record = std::move(queue.front());
        queue.pop_front();
        writing = true;
        lock.unlock();
        const bool wrote = std::holds_alternative<SweepRecord>(record)
                               ? out.writeSweep(std::get<SweepRecord>(record))
                               : out.writeReading(std::get<Reading>(record));
        const std::vector<FileNotice> notices = out.takeNotices();
        dropped = out.droppedRows();
        unsynced = unsynced || wrote;
        lock.lock();
        tell(notices);
        writing = false;
        if (wrote) {
            ++written;
        }
        if (!wrote || (Clock::now() >= lastSync + kSyncInterval && !syncNow())) {
            fail(out.errorString(), wrote ? 0 : 1);
            break;
        }
    }
    // The file closes here, on this thread, so that a close that blocks holds up nobody.
    std::unique_ptr<RecordSink> closed = std::move(sink);
    lock.unlock();
    closed.reset();
    lock.lock();
    finished = true;
    done.notify_all();
}

QueuedSink::QueuedSink(std::unique_ptr<RecordSink> sink, QString name, std::size_t capacity,
                       std::function<void()> failed,
                       std::function<void(const FileNotice &)> noticed)
    : m_name(std::move(name))
    , m_takesReadings(sink->takesReadings())
    , m_state(std::make_shared<State>())
{
    m_state->capacity = capacity;
    m_state->sink = std::move(sink);
    m_state->failed = std::move(failed);
    m_state->noticed = std::move(noticed);
    m_thread = std::thread([state = m_state] { state->run(); });
}

QueuedSink::~QueuedSink()
{
    abandon();
    const std::lock_guard lock(m_state->mutex);
    if (m_state->finished) {
        m_thread.join();
    } else {
        // Stuck in a write that may never return: the thread keeps its own share of the state
        // and ends, closing the file, whenever the write does.
        m_thread.detach();
    }
}

bool QueuedSink::push(const SweepRecord &sweep)
{
    return push(Record(sweep));
}

bool QueuedSink::push(const Reading &reading)
{
    return push(Record(reading));
}

bool QueuedSink::push(Record record)
{
    bool queued = false;
    {
        const std::lock_guard lock(m_state->mutex);
        if (m_state->failure || m_state->closing || m_state->abandoned) {
            return false;
        }
        if (m_state->queue.size() >= m_state->capacity) {
            m_state->failure =
                Failure{m_name + QLatin1String(": ") +
                            QCoreApplication::translate("Recorder", "the disk does not keep up"),
                        static_cast<qint64>(m_state->queue.size()) + 1};
            m_state->queue.clear();
        } else {
            m_state->queue.push_back(std::move(record));
            queued = true;
        }
    }
    m_state->wake.notify_one();
    return queued;
}

bool QueuedSink::hasRoom() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->queue.size() < m_state->capacity / 2;
}

void QueuedSink::reopen()
{
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->reopenDue = true;
    }
    m_state->wake.notify_one();
}

void QueuedSink::close()
{
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->closing = true;
    }
    m_state->wake.notify_one();
}

bool QueuedSink::waitClosed(Clock::time_point deadline)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->done.wait_until(lock, deadline, [this] { return m_state->finished; });
}

qint64 QueuedSink::abandon()
{
    qint64 unwritten = 0;
    {
        const std::lock_guard lock(m_state->mutex);
        if (m_state->finished || m_state->abandoned) {
            return 0;
        }
        m_state->abandoned = true;
        m_state->failed = nullptr;
        m_state->noticed = nullptr;
        unwritten = static_cast<qint64>(m_state->queue.size()) + (m_state->writing ? 1 : 0);
        m_state->queue.clear();
    }
    m_state->wake.notify_one();
    return unwritten;
}

qint64 QueuedSink::rowsWritten() const
{
    return m_state->written.load() - m_state->dropped.load();
}

qint64 QueuedSink::rowsDropped() const
{
    return m_state->dropped.load();
}

std::optional<QueuedSink::Failure> QueuedSink::takeFailure()
{
    const std::lock_guard lock(m_state->mutex);
    if (!m_state->failure || m_state->failureTaken) {
        return std::nullopt;
    }
    m_state->failureTaken = true;
    return m_state->failure;
}
