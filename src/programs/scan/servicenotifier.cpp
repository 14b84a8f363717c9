#include "programs/scan/servicenotifier.h"

#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <cstdint>

#ifdef KVT_WITH_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace {
constexpr double kMsPerSecond = 1000.0;
// Below one a second, two decimals keep a slow sweep from reading as stopped.
constexpr double kSlowRate = 1.0;

// Half of the watchdog time the manager expects beats within, or zero when it expects none.
std::chrono::microseconds watchdogBeat()
{
#ifdef KVT_WITH_SYSTEMD
    std::uint64_t usec = 0;
    // Unset: the alarm commands this program starts are not the ones watched.
    if (sd_watchdog_enabled(1, &usec) > 0) {
        return std::chrono::microseconds(usec / 2);
    }
#endif
    return std::chrono::microseconds{0};
}

bool managerListens()
{
#ifdef KVT_WITH_SYSTEMD
    return qEnvironmentVariableIsSet("NOTIFY_SOCKET");
#else
    return false;
#endif
}
} // namespace

ServiceNotifier::ServiceNotifier(QObject *parent)
    : QObject(parent)
    , m_listening(managerListens())
    , m_watchdog(new QTimer(this))
    , m_statusTimer(new QTimer(this))
{
    m_statusTimer->setInterval(kStatusInterval);
    connect(m_statusTimer, &QTimer::timeout, this, [this] {
        sample();
        sendStatus();
    });
    connect(m_watchdog, &QTimer::timeout, this, [this] { send("WATCHDOG=1"); });
    m_clock.start();
    if (!m_listening) {
        return;
    }
    const std::chrono::microseconds beat = watchdogBeat();
    if (beat.count() > 0) {
        m_watchdog->start(std::max(std::chrono::duration_cast<std::chrono::milliseconds>(beat),
                                   std::chrono::milliseconds{1}));
    }
}

void ServiceNotifier::ready()
{
    send("READY=1");
}

void ServiceNotifier::waitingFor(const QString &port)
{
    if (!m_listening) {
        return;
    }
    m_statusTimer->stop();
    m_samples.clear();
    m_state = QStringLiteral("waiting for ") + port;
    sendStatus();
}

void ServiceNotifier::sweeping(const QString &mode, const QString &unit, Counter records)
{
    if (!m_listening) {
        return;
    }
    m_state = QStringLiteral("sweeping ") + mode;
    m_unit = unit;
    m_records = std::move(records);
    m_samples.clear();
    sample();
    sendStatus();
    m_statusTimer->start();
}

void ServiceNotifier::setBrokerLost(bool lost)
{
    if (!m_listening) {
        return;
    }
    m_brokerLost = lost;
    sendStatus();
}

void ServiceNotifier::setWritingPaused(bool paused)
{
    if (!m_listening) {
        return;
    }
    m_writingPaused = paused;
    sendStatus();
}

void ServiceNotifier::stopping()
{
    m_statusTimer->stop();
    send("STOPPING=1");
}

void ServiceNotifier::sample()
{
    const qint64 now = m_clock.elapsed();
    const qint64 window = std::chrono::milliseconds(kRateWindow).count();
    while (!m_samples.empty() && now - m_samples.front().ms > window) {
        m_samples.pop_front();
    }
    m_samples.push_back({now, m_records()});
}

void ServiceNotifier::sendStatus()
{
    QString status = m_receiver.isEmpty() ? m_state : m_receiver + QStringLiteral(": ") + m_state;
    if (!m_samples.empty()) {
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const Sample &last = m_samples.back();
        status += QStringLiteral(", %1 %2").arg(english.toString(last.records), m_unit);
        if (const Sample &first = m_samples.front(); last.ms > first.ms) {
            const double rate = static_cast<double>(last.records - first.records) * kMsPerSecond /
                                static_cast<double>(last.ms - first.ms);
            status += QStringLiteral(", %1/s").arg(rate, 0, 'f', rate < kSlowRate ? 2 : 1);
        }
    }
    if (m_brokerLost) {
        status += QStringLiteral("; broker lost");
    }
    if (m_writingPaused) {
        status += QStringLiteral("; disk below --min-free, rows dropped");
    }
    const QByteArray message = "STATUS=" + status.toUtf8();
    if (message != m_sentStatus) {
        send(message);
        m_sentStatus = message;
    }
}

void ServiceNotifier::send(const QByteArray &message) const
{
#ifdef KVT_WITH_SYSTEMD
    // The manager may be gone or busy; the recording goes on regardless.
    if (m_listening) {
        sd_notify(0, message.constData());
    }
#else
    Q_UNUSED(message)
#endif
}
