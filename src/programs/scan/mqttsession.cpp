#include "programs/scan/mqttsession.h"

#include "engine/remote/brokerbackoff.h"
#include "engine/remote/mosquittoclient.h"
#include "programs/scan/mqttoptions.h"
#include "programs/scan/mqttsweepqueue.h"

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <utility>

namespace {

using mosquittoclient::applyLoginAndTls;
using mosquittoclient::ConnectionEnd;
using mosquittoclient::connectionEnd;
using mosquittoclient::errorText;
using mosquittoclient::initialiseLibrary;

using Clock = std::chrono::steady_clock;

constexpr int kKeepAliveSeconds = 30;
// How long one pass of the network loop may wait for the socket; also how soon a newly queued
// sweep leaves when nothing else wakes the loop.
constexpr int kLoopTimeoutMs = 50;
// PUBLISH packets awaiting their PUBACK; the rest wait in the bounded queue.
constexpr unsigned kInFlightLimit = 20;
constexpr std::chrono::seconds kFlushLimit{3};
// For the final statistics and "offline" once the sweeps are flushed or given up.
constexpr std::chrono::seconds kFinalLimit{1};
constexpr std::chrono::seconds kShutdownLimit{5};
constexpr int kDisconnectPasses = 10;
constexpr int kQos = 1;
// Messages other than sweeps waiting for the broker (alarm events).
constexpr std::size_t kMessageLimit = 1000;

const QByteArray kOnline = QByteArrayLiteral("online");
const QByteArray kOffline = QByteArrayLiteral("offline");

} // namespace

class MqttSession::Core
{
public:
    Core(const MqttSettings &settings, std::shared_ptr<MqttSweepQueue> sweeps, Listener listener)
        : m_settings(settings)
        , m_sweepTopic((settings.topicPrefix + QStringLiteral("/sweep")).toUtf8())
        , m_statsTopic((settings.topicPrefix + QStringLiteral("/stats")).toUtf8())
        , m_statusTopic((settings.topicPrefix + QStringLiteral("/status")).toUtf8())
        , m_sweeps(std::move(sweeps))
        , m_listener(std::move(listener))
    {
        initialiseLibrary();
        // Without an identifier of its own the library makes a random one.
        const QByteArray id = settings.clientId.toUtf8();
        m_mosq = mosquitto_new(id.isEmpty() ? nullptr : id.constData(), true, this);
    }

    ~Core()
    {
        if (m_mosq != nullptr) {
            mosquitto_destroy(m_mosq);
        }
    }

    Core(const Core &) = delete;
    Core &operator=(const Core &) = delete;

    void run();

    void publishStats(QByteArray payload)
    {
        const std::lock_guard lock(m_mutex);
        m_pendingStats = std::move(payload);
    }

    void publish(const QByteArray &level, QByteArray payload, bool retained)
    {
        Message message{m_settings.topicPrefix.toUtf8() + '/' + level, std::move(payload),
                        retained};
        const std::lock_guard lock(m_mutex);
        if (retained) {
            const auto same =
                std::find_if(m_messages.begin(), m_messages.end(), [&](const Message &queued) {
                    return queued.retained && queued.topic == message.topic;
                });
            if (same != m_messages.end()) {
                *same = std::move(message);
                return;
            }
        }
        if (m_messages.size() >= kMessageLimit) {
            m_messages.pop_front();
        }
        m_messages.push_back(std::move(message));
    }

    void stop(FinalStats finalStats)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_listener = nullptr;
            m_finalStats = std::move(finalStats);
            m_stopping = true;
        }
        m_wake.notify_all();
    }

    // Once finished.
    [[nodiscard]] qint64 undelivered() const
    {
        const std::lock_guard lock(m_mutex);
        return m_undelivered;
    }

    bool waitFinished(std::chrono::seconds limit)
    {
        std::unique_lock lock(m_mutex);
        return m_wake.wait_for(lock, limit, [this] { return m_finished; });
    }

private:
    struct Message
    {
        QByteArray topic;
        QByteArray payload;
        bool retained = false;
    };

    bool configure();
    // One connection from the attempt to its end; the return code says how it ended.
    int connectAndServe();
    void publishPending();
    void publishSweeps();
    void flushAndDisconnect();
    // Publishes and waits for its acknowledgement until the deadline; false when the
    // connection failed.
    bool publishAndWait(const QByteArray &topic, const QByteArray &payload,
                        Clock::time_point deadline);
    void notify(Event event, const QString &reason);
    [[nodiscard]] bool stopping() const
    {
        const std::lock_guard lock(m_mutex);
        return m_stopping;
    }
    // False when told to stop while waiting.
    bool waitBeforeRetry(std::chrono::seconds delay)
    {
        std::unique_lock lock(m_mutex);
        return !m_wake.wait_for(lock, delay, [this] { return m_stopping; });
    }

    static void onConnect(mosquitto *, void *core, int rc)
    {
        static_cast<Core *>(core)->connected(rc);
    }
    static void onPublish(mosquitto *, void *core, int mid)
    {
        static_cast<Core *>(core)->m_inFlight.erase(mid);
    }
    static void onLog(mosquitto *, void *core, int level, const char *text)
    {
        if (level == MOSQ_LOG_ERR) {
            static_cast<Core *>(core)->m_lastLibraryError = QString::fromUtf8(text);
        }
    }
    void connected(int rc);

    const MqttSettings m_settings;
    const QByteArray m_sweepTopic;
    const QByteArray m_statsTopic;
    const QByteArray m_statusTopic;
    const std::shared_ptr<MqttSweepQueue> m_sweeps;
    mosquitto *m_mosq = nullptr;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Listener m_listener;
    FinalStats m_finalStats;
    qint64 m_undelivered = 0;
    std::optional<QByteArray> m_pendingStats;
    std::deque<Message> m_messages;
    bool m_stopping = false;
    bool m_finished = false;

    // Network thread only.
    bool m_online = false;
    bool m_everOnline = false;
    std::optional<int> m_refusal;
    std::unordered_set<int> m_inFlight;
    QString m_lastLibraryError;
};

bool MqttSession::Core::configure()
{
    if (m_mosq == nullptr) {
        return false;
    }
    mosquitto_connect_callback_set(m_mosq, &Core::onConnect);
    mosquitto_publish_callback_set(m_mosq, &Core::onPublish);
    mosquitto_log_callback_set(m_mosq, &Core::onLog);
    mosquitto_max_inflight_messages_set(m_mosq, kInFlightLimit);
    int rc =
        mosquitto_will_set(m_mosq, m_statusTopic.constData(), static_cast<int>(kOffline.size()),
                           kOffline.constData(), kQos, true);
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = applyLoginAndTls(
            m_mosq, {m_settings.broker, m_settings.caFile, m_settings.user, m_settings.password});
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        notify(Event::Refused, errorText(rc, errno));
        return false;
    }
    return true;
}

void MqttSession::Core::run()
{
    if (configure()) {
        BrokerBackoff backoff;
        while (!stopping()) {
            m_lastLibraryError.clear();
            const int rc = connectAndServe();
            const int savedErrno = errno;
            if (stopping()) {
                break;
            }
            const bool wasOnline = std::exchange(m_online, false);
            const ConnectionEnd end = connectionEnd(rc, savedErrno, m_refusal, m_lastLibraryError);
            if (end.refused && !m_everOnline) {
                notify(Event::Refused, end.reason);
                break;
            }
            notify(Event::Lost, end.reason);
            if (wasOnline) {
                backoff.reset();
            }
            if (!waitBeforeRetry(backoff.next())) {
                break;
            }
        }
        if (m_online) {
            flushAndDisconnect();
        }
    }
    // What the broker never got, it never will.
    const qint64 left = m_sweeps->dropAll();
    const std::lock_guard lock(m_mutex);
    m_undelivered += left;
    m_finished = true;
    m_wake.notify_all();
}

int MqttSession::Core::connectAndServe()
{
    m_refusal.reset();
    m_inFlight.clear();
    int rc = mosquitto_connect(m_mosq, m_settings.broker.host.toUtf8().constData(),
                               m_settings.broker.port, kKeepAliveSeconds);
    while (rc == MOSQ_ERR_SUCCESS && !stopping()) {
        publishPending();
        rc = mosquitto_loop(m_mosq, kLoopTimeoutMs, 1);
    }
    return rc;
}

void MqttSession::Core::connected(int rc)
{
    if (rc != 0) {
        m_refusal = rc;
        return;
    }
    m_online = true;
    m_everOnline = true;
    mosquitto_publish(m_mosq, nullptr, m_statusTopic.constData(), static_cast<int>(kOnline.size()),
                      kOnline.constData(), kQos, true);
    notify(Event::Connected, {});
}

void MqttSession::Core::publishPending()
{
    if (!m_online) {
        return;
    }
    std::optional<QByteArray> stats;
    std::deque<Message> messages;
    {
        const std::lock_guard lock(m_mutex);
        stats.swap(m_pendingStats);
        messages.swap(m_messages);
    }
    if (stats) {
        mosquitto_publish(m_mosq, nullptr, m_statsTopic.constData(),
                          static_cast<int>(stats->size()), stats->constData(), kQos, true);
    }
    for (const Message &message : messages) {
        int mid = 0;
        if (mosquitto_publish(m_mosq, &mid, message.topic.constData(),
                              static_cast<int>(message.payload.size()), message.payload.constData(),
                              kQos, message.retained) == MOSQ_ERR_SUCCESS) {
            m_inFlight.insert(mid);
        }
    }
    publishSweeps();
}

void MqttSession::Core::publishSweeps()
{
    while (m_inFlight.size() < kInFlightLimit) {
        std::optional<QByteArray> sweep = m_sweeps->takeOldest();
        if (!sweep) {
            return;
        }
        int mid = 0;
        const int rc =
            mosquitto_publish(m_mosq, &mid, m_sweepTopic.constData(),
                              static_cast<int>(sweep->size()), sweep->constData(), kQos, false);
        // A connection lost under the publish leaves the message in the library's own queue,
        // which sends it again after the reconnect; anything else means it can never be sent.
        const bool queued = rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN ||
                            rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_ERRNO;
        if (!queued) {
            m_sweeps->countUnsendable();
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            return;
        }
        m_inFlight.insert(mid);
    }
}

void MqttSession::Core::flushAndDisconnect()
{
    const auto deadline = Clock::now() + kFlushLimit;
    int rc = MOSQ_ERR_SUCCESS;
    const auto delivered = [this] {
        const std::lock_guard lock(m_mutex);
        return m_sweeps->isEmpty() && m_inFlight.empty() && !m_pendingStats && m_messages.empty();
    };
    while (rc == MOSQ_ERR_SUCCESS && !delivered() && Clock::now() < deadline) {
        publishPending();
        rc = mosquitto_loop(m_mosq, kLoopTimeoutMs, 1);
    }
    // Still queued when the flush gives up: dropped, and counted before the final statistics
    // say it. One sent and not yet acknowledged may have arrived, and is not counted.
    const qint64 left = m_sweeps->dropAll();
    FinalStats finalStats;
    {
        const std::lock_guard lock(m_mutex);
        m_undelivered = left;
        finalStats = std::move(m_finalStats);
    }
    const auto finalDeadline = Clock::now() + kFinalLimit;
    if (rc == MOSQ_ERR_SUCCESS && finalStats) {
        rc = publishAndWait(m_statsTopic, finalStats(m_sweeps->dropped()), finalDeadline)
                 ? MOSQ_ERR_SUCCESS
                 : MOSQ_ERR_CONN_LOST;
    }
    if (rc == MOSQ_ERR_SUCCESS) {
        publishAndWait(m_statusTopic, kOffline, finalDeadline);
    }
    mosquitto_disconnect(m_mosq);
    for (int pass = 0; pass < kDisconnectPasses && rc == MOSQ_ERR_SUCCESS; ++pass) {
        rc = mosquitto_loop(m_mosq, kLoopTimeoutMs, 1);
    }
}

bool MqttSession::Core::publishAndWait(const QByteArray &topic, const QByteArray &payload,
                                       Clock::time_point deadline)
{
    int mid = 0;
    int rc = mosquitto_publish(m_mosq, &mid, topic.constData(), static_cast<int>(payload.size()),
                               payload.constData(), kQos, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        return false;
    }
    m_inFlight.insert(mid);
    while (rc == MOSQ_ERR_SUCCESS && m_inFlight.count(mid) > 0 && Clock::now() < deadline) {
        rc = mosquitto_loop(m_mosq, kLoopTimeoutMs, 1);
    }
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttSession::Core::notify(Event event, const QString &reason)
{
    const std::lock_guard lock(m_mutex);
    if (m_listener) {
        m_listener(event, reason);
    }
}

MqttSession::MqttSession(const MqttSettings &settings, std::shared_ptr<MqttSweepQueue> sweeps,
                         Listener listener)
    : m_core(std::make_shared<Core>(settings, sweeps, std::move(listener)))
    , m_sweeps(std::move(sweeps))
    , m_thread([core = m_core] { core->run(); })
{}

MqttSession::~MqttSession()
{
    close({});
}

qint64 MqttSession::close(FinalStats finalStats)
{
    if (!m_thread.joinable()) {
        return 0;
    }
    m_core->stop(std::move(finalStats));
    if (m_core->waitFinished(kShutdownLimit)) {
        m_thread.join();
        return m_core->undelivered();
    }
    m_thread.detach();
    return m_sweeps->dropAll();
}

void MqttSession::publishStats(QByteArray payload)
{
    m_core->publishStats(std::move(payload));
}

void MqttSession::publish(const QByteArray &level, QByteArray payload, bool retained)
{
    m_core->publish(level, std::move(payload), retained);
}
