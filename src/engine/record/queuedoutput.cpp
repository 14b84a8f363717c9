#include "engine/record/queuedoutput.h"

#include "engine/record/outputfile.h"

#include <QCoreApplication>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

using Record = std::variant<SweepRecord, Reading>;

struct QueuedOutput::State
{
    std::mutex mutex;
    std::condition_variable wake; // the writer waits for rows, a close or an abandon
    std::condition_variable room; // a caller that waits for room in the queue
    std::condition_variable done; // close waits for the writer
    std::deque<Record> queue;
    std::size_t capacity = 0;
    WhenFull whenFull = WhenFull::Fail;
    std::unique_ptr<OutputFile> file; // the writer's alone once it runs
    std::function<void()> failed;
    std::function<void(const FileNotice &)> noticed;
    std::atomic<qint64> written{0}; // rows the file took, dropped ones too
    std::atomic<qint64> dropped{0};
    std::atomic<qint64> synced{0};
    std::atomic<qint64> syncs{0};
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
        room.notify_all();
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

    // What was written so far is on the disk.
    void countSync()
    {
        synced = written - dropped;
        ++syncs;
    }

    void run();
};

void QueuedOutput::State::run()
{
    OutputFile &out = *file;
    Clock::time_point lastSync{};
    // Waits here while the file's earlier writer drains.
    const bool opened = out.isOpen() || out.open();
    bool unsynced = opened;
    std::unique_lock lock(mutex);
    tell(out.takeNotices());
    if (!opened) {
        fail(out.errorString(), 0);
    }
    const auto ready = [this] {
        return !queue.empty() || reopenDue || closing || failure || abandoned;
    };
    const auto syncNow = [&] {
        lock.unlock();
        lastSync = Clock::now();
        unsynced = false;
        const bool onDisk = out.sync();
        lock.lock();
        if (onDisk) {
            countSync();
        }
        return onDisk;
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
            const bool closed = out.close();
            lock.lock();
            if (closed) {
                countSync();
            } else {
                fail(out.errorString(), 0);
            }
            break;
        }
        const Record record = std::move(queue.front());
        queue.pop_front();
        room.notify_one();
        writing = true;
        lock.unlock();
        const bool wrote = std::visit([&out](const auto &row) { return out.write(row); }, record);
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
    // The file closes here, on this thread, so that a close that blocks holds up nobody; so
    // does the next writer of the same file, which waits for it.
    std::unique_ptr<OutputFile> closed = std::move(file);
    lock.unlock();
    closed.reset();
    lock.lock();
    finished = true;
    done.notify_all();
}

QueuedOutput::QueuedOutput(std::unique_ptr<OutputFile> file, std::size_t capacity,
                           WhenFull whenFull, std::function<void()> failed,
                           std::function<void(const FileNotice &)> noticed)
    : m_name(file->displayName())
    , m_takesReadings(file->takesReadings())
    , m_state(std::make_shared<State>())
{
    m_state->capacity = capacity;
    m_state->whenFull = whenFull;
    m_state->file = std::move(file);
    m_state->failed = std::move(failed);
    m_state->noticed = std::move(noticed);
    m_thread = std::thread([state = m_state] { state->run(); });
}

QueuedOutput::~QueuedOutput()
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

bool QueuedOutput::push(const SweepRecord &sweep)
{
    return push(Record(sweep));
}

bool QueuedOutput::push(const Reading &reading)
{
    return push(Record(reading));
}

bool QueuedOutput::push(Record record)
{
    State &state = *m_state;
    bool queued = false;
    {
        std::unique_lock lock(state.mutex);
        if (state.whenFull == WhenFull::Wait) {
            state.room.wait(lock, [&state] {
                return state.queue.size() < state.capacity || state.failure || state.abandoned;
            });
        }
        if (state.failure || state.closing || state.abandoned) {
            return false;
        }
        if (state.queue.size() >= state.capacity) {
            state.failure =
                Failure{m_name + QLatin1String(": ") +
                            QCoreApplication::translate("Recorder", "the disk does not keep up"),
                        static_cast<qint64>(state.queue.size()) + 1};
            state.queue.clear();
        } else {
            state.queue.push_back(std::move(record));
            queued = true;
        }
    }
    state.wake.notify_one();
    return queued;
}

void QueuedOutput::reopen()
{
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->reopenDue = true;
    }
    m_state->wake.notify_one();
}

void QueuedOutput::close()
{
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->closing = true;
    }
    m_state->wake.notify_one();
}

bool QueuedOutput::waitClosed(Clock::time_point deadline)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->done.wait_until(lock, deadline, [this] { return m_state->finished; });
}

qint64 QueuedOutput::abandon()
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
    m_state->room.notify_all();
    return unwritten;
}

qint64 QueuedOutput::rowsWritten() const
{
    return m_state->written.load() - m_state->dropped.load();
}

qint64 QueuedOutput::rowsDropped() const
{
    return m_state->dropped.load();
}

qint64 QueuedOutput::rowsSynced() const
{
    return m_state->synced.load();
}

qint64 QueuedOutput::syncs() const
{
    return m_state->syncs.load();
}

std::optional<QueuedOutput::Failure> QueuedOutput::takeFailure()
{
    const std::lock_guard lock(m_state->mutex);
    if (!m_state->failure || m_state->failureTaken) {
        return std::nullopt;
    }
    m_state->failureTaken = true;
    return m_state->failure;
}
