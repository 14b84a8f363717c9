#include "engine/remote/brokerconnection.h"

#include "engine/remote/brokerbackoff.h"
#include "engine/remote/mosquittoclient.h"

#include <mosquitto.h>

#include <cerrno>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

using mosquittoclient::applyLoginAndTls;
using mosquittoclient::ConnectionEnd;
using mosquittoclient::connectionEnd;
using mosquittoclient::errorText;
using mosquittoclient::initialiseLibrary;

constexpr int kKeepAliveSeconds = 30;
// How long one pass of the network loop may wait for the socket; also how soon a new pattern
// is subscribed and a stop noticed. Arriving messages wake it at once.
constexpr int kLoopTimeoutMs = 100;
constexpr int kQos = 1;
// Enough for a clean disconnect; a connection attempt hanging longer (a host that does not
// answer) is left to end on its own rather than hold up the window.
constexpr std::chrono::seconds kShutdownLimit{1};
constexpr int kDisconnectPasses = 5;

} // namespace

class BrokerConnection::Core
{
public:
    struct Listener
    {
        std::function<void(State, const QString &, std::chrono::seconds)> state;
        std::function<void()> subscribed;
        std::function<void(QByteArray, QByteArray, bool)> message;
    };

    Core(BrokerSettings settings, Listener listener)
        : m_settings(std::move(settings))
        , m_listener(std::move(listener))
    {
        initialiseLibrary();
        // No client identifier: the library makes a random one, so that two monitors never
        // throw each other off the broker.
        m_mosq = mosquitto_new(nullptr, true, this);
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

    void subscribe(const QByteArray &pattern)
    {
        const std::lock_guard lock(m_mutex);
        m_patterns.push_back(pattern);
    }

    void stop()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_listener = {};
            m_stopping = true;
        }
        m_wake.notify_all();
    }

    bool waitFinished(std::chrono::seconds limit)
    {
        std::unique_lock lock(m_mutex);
        return m_wake.wait_for(lock, limit, [this] { return m_finished; });
    }

private:
    bool configure();
    int connectAndServe();
    void subscribePending();
    void connected(int rc);
    void acknowledged(int mid);
    void arrived(const mosquitto_message &message);
    void tellState(State state, const QString &reason, std::chrono::seconds retryIn = {});

    [[nodiscard]] bool stopping() const
    {
        const std::lock_guard lock(m_mutex);
        return m_stopping;
    }
    bool waitBeforeRetry(std::chrono::seconds delay)
    {
        std::unique_lock lock(m_mutex);
        return !m_wake.wait_for(lock, delay, [this] { return m_stopping; });
    }

    static void onConnect(mosquitto *, void *core, int rc)
    {
        static_cast<Core *>(core)->connected(rc);
    }
    static void onSubscribe(mosquitto *, void *core, int mid, int, const int *)
    {
        static_cast<Core *>(core)->acknowledged(mid);
    }
    static void onMessage(mosquitto *, void *core, const mosquitto_message *message)
    {
        static_cast<Core *>(core)->arrived(*message);
    }
    static void onLog(mosquitto *, void *core, int level, const char *text)
    {
        if (level == MOSQ_LOG_ERR) {
            static_cast<Core *>(core)->m_lastLibraryError = QString::fromUtf8(text);
        }
    }

    const BrokerSettings m_settings;
    mosquitto *m_mosq = nullptr;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Listener m_listener;
    std::vector<QByteArray> m_patterns;
    bool m_stopping = false;
    bool m_finished = false;

    // Network thread only.
    bool m_online = false;
    bool m_everOnline = false;
    std::optional<int> m_refusal;
    // Patterns [0, m_subscribedCount) are asked for on this connection.
    std::size_t m_subscribedCount = 0;
    std::set<int> m_unacknowledged;
    QString m_lastLibraryError;
};

bool BrokerConnection::Core::configure()
{
    if (m_mosq == nullptr) {
        tellState(State::Refused, errorText(MOSQ_ERR_ERRNO, errno));
        return false;
    }
    mosquitto_connect_callback_set(m_mosq, &Core::onConnect);
    mosquitto_subscribe_callback_set(m_mosq, &Core::onSubscribe);
    mosquitto_message_callback_set(m_mosq, &Core::onMessage);
    mosquitto_log_callback_set(m_mosq, &Core::onLog);
    const int rc = applyLoginAndTls(m_mosq, m_settings);
    if (rc != MOSQ_ERR_SUCCESS) {
        tellState(State::Refused, errorText(rc, errno));
        return false;
    }
    return true;
}

void BrokerConnection::Core::run()
{
    if (configure()) {
        BrokerBackoff backoff;
        while (!stopping()) {
            tellState(State::Connecting, {});
            m_lastLibraryError.clear();
            const int rc = connectAndServe();
            const int savedErrno = errno;
            if (stopping()) {
                break;
            }
            const bool wasOnline = std::exchange(m_online, false);
            const ConnectionEnd end = connectionEnd(rc, savedErrno, m_refusal, m_lastLibraryError);
            if (end.refused && !m_everOnline) {
                tellState(State::Refused, end.reason);
                break;
            }
            if (wasOnline) {
                backoff.reset();
            }
            const std::chrono::seconds wait = backoff.next();
            tellState(State::Lost, end.reason, wait);
            if (!waitBeforeRetry(wait)) {
                break;
            }
        }
        if (m_online) {
            mosquitto_disconnect(m_mosq);
            for (int pass = 0; pass < kDisconnectPasses; ++pass) {
                if (mosquitto_loop(m_mosq, kLoopTimeoutMs, 1) != MOSQ_ERR_SUCCESS) {
                    break;
                }
            }
        }
    }
    const std::lock_guard lock(m_mutex);
    m_finished = true;
    m_wake.notify_all();
}

int BrokerConnection::Core::connectAndServe()
{
    m_refusal.reset();
    m_subscribedCount = 0;
    m_unacknowledged.clear();
    int rc = mosquitto_connect(m_mosq, m_settings.broker.host.toUtf8().constData(),
                               m_settings.broker.port, kKeepAliveSeconds);
    while (rc == MOSQ_ERR_SUCCESS && !stopping()) {
        subscribePending();
        rc = mosquitto_loop(m_mosq, kLoopTimeoutMs, 1);
    }
    return rc;
}

void BrokerConnection::Core::connected(int rc)
{
    if (rc != 0) {
        m_refusal = rc;
        return;
    }
    m_online = true;
    m_everOnline = true;
    tellState(State::Connected, {});
    subscribePending();
}

void BrokerConnection::Core::subscribePending()
{
    if (!m_online) {
        return;
    }
    std::vector<QByteArray> patterns;
    {
        const std::lock_guard lock(m_mutex);
        patterns.assign(m_patterns.begin() + static_cast<std::ptrdiff_t>(m_subscribedCount),
                        m_patterns.end());
    }
    for (const QByteArray &pattern : patterns) {
        int mid = 0;
        if (mosquitto_subscribe(m_mosq, &mid, pattern.constData(), kQos) != MOSQ_ERR_SUCCESS) {
            // The connection failed under it; the next one asks again.
            return;
        }
        m_unacknowledged.insert(mid);
        ++m_subscribedCount;
    }
}

void BrokerConnection::Core::acknowledged(int mid)
{
    if (m_unacknowledged.erase(mid) == 0 || !m_unacknowledged.empty()) {
        return;
    }
    const std::lock_guard lock(m_mutex);
    if (m_subscribedCount == m_patterns.size() && m_listener.subscribed) {
        m_listener.subscribed();
    }
}

void BrokerConnection::Core::arrived(const mosquitto_message &message)
{
    QByteArray topic(message.topic);
    QByteArray payload(static_cast<const char *>(message.payload), message.payloadlen);
    const std::lock_guard lock(m_mutex);
    if (m_listener.message) {
        m_listener.message(std::move(topic), std::move(payload), message.retain);
    }
}

void BrokerConnection::Core::tellState(State state, const QString &reason,
                                       std::chrono::seconds retryIn)
{
    const std::lock_guard lock(m_mutex);
    if (m_listener.state) {
        m_listener.state(state, reason, retryIn);
    }
}

BrokerConnection::BrokerConnection(BrokerSettings settings, QObject *parent)
    : QObject(parent)
    , m_settings(std::move(settings))
{
    // Each call hands over to this object's thread; none comes once the core is stopped.
    Core::Listener listener;
    listener.state = [this](State state, const QString &reason, std::chrono::seconds retryIn) {
        QMetaObject::invokeMethod(
            this, [this, state, reason, retryIn] { takeState(state, reason, retryIn); },
            Qt::QueuedConnection);
    };
    listener.subscribed = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_state == State::Connected) {
                    m_subscribed = true;
                    Q_EMIT subscribed();
                }
            },
            Qt::QueuedConnection);
    };
    listener.message = [this](QByteArray topic, QByteArray payload, bool retained) {
        QMetaObject::invokeMethod(
            this,
            [this, arrivedTopic = std::move(topic), arrivedPayload = std::move(payload), retained] {
                Q_EMIT message(arrivedTopic, arrivedPayload, retained);
            },
            Qt::QueuedConnection);
    };
    m_core = std::make_shared<Core>(m_settings, std::move(listener));
    m_thread = std::thread([core = m_core] { core->run(); });
}

BrokerConnection::~BrokerConnection()
{
    m_core->stop();
    if (m_core->waitFinished(kShutdownLimit)) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
}

void BrokerConnection::subscribe(const QByteArray &pattern)
{
    m_subscribed = false;
    m_core->subscribe(pattern);
}

void BrokerConnection::takeState(State state, const QString &reason, std::chrono::seconds retryIn)
{
    m_state = state;
    m_reason = reason;
    m_retryIn = retryIn;
    if (state != State::Connected) {
        m_subscribed = false;
    }
    Q_EMIT stateChanged(state);
}
