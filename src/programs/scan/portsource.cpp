#include "programs/scan/portsource.h"

#include "core/channelplan.h"
#include "engine/port/portfollower.h"
#include "engine/port/portname.h"
#include "engine/port/systemportdevices.h"
#include "engine/protocol/seriallink.h"
#include "programs/scan/scanoptions.h"

#include <QTimer>

#include <utility>

namespace {

// What the module said, for the end of a message: ' (it said "XYZ-1")', or nothing.
QString moduleSaid(const QString &said)
{
    return said.isEmpty() ? QString() : QStringLiteral(" (it said \"%1\")").arg(said);
}

} // namespace

PortSource::PortSource(const ScanOptions &options, std::unique_ptr<SerialLink> link,
                       QObject *parent)
    : SweepSource(parent)
    , m_port(options.port)
    , m_engine(std::make_unique<SweepEngine>(std::move(link)))
    , m_reopenTimer(new QTimer(this))
    , m_reconnect(options.reconnect)
{
    m_sweepOptions.sampleCount = options.sampleCount;
    m_sweepOptions.cursorOnly = options.channel.has_value();
    // The window waits for ever on a silent module or one in an unknown mode; a recorder left
    // alone must not.
    m_sweepOptions.stallTimeout = options.stallTimeout;
    m_sweepOptions.stopOnUnknownMode = true;
    if (options.channel) {
        m_engine->setCursorChannel(channelplan::channelIndex(*options.channel));
    }
    m_reopenTimer->setSingleShot(true);
    m_reopenTimer->setInterval(kReconnectInterval);

    connect(m_engine.get(), &SweepEngine::started, this, &PortSource::onStarted);
    connect(m_engine.get(), &SweepEngine::stopped, this, &PortSource::onStopped);
    connect(m_engine.get(), &SweepEngine::readingStored, this, &PortSource::reading);
    connect(m_reopenTimer, &QTimer::timeout, this, &PortSource::reopen);
}

PortSource::~PortSource() = default;

std::optional<RadioMode> PortSource::mode() const
{
    for (const RadioMode mode : {RadioMode::AirMonitor, RadioMode::LoRa, RadioMode::Fsk}) {
        if (m_engine->modes().contains(mode)) {
            return mode;
        }
    }
    return std::nullopt;
}

void PortSource::start()
{
    const std::optional<QString> port = portname::resolve(m_port);
    if (!port) {
        end(SourceEnd::Kind::CannotOpen,
            QStringLiteral("'%1' names no serial port; give a name such as COM3 or "
                           "/dev/ttyUSB0")
                .arg(m_port));
        return;
    }
    m_follower = std::make_unique<PortFollower>(*port, std::make_unique<SystemPortDevices>());
    m_phase = Phase::Connecting;
    open();
}

void PortSource::open()
{
    const PortFollower::Choice choice = m_follower->choose();
    m_device = choice.device;
    if (!choice.note.isEmpty()) {
        Q_EMIT said(choice.note);
    }
    m_engine->start(m_device, m_sweepOptions);
}

void PortSource::stop()
{
    if (m_phase == Phase::Ended) {
        return;
    }
    m_reopenTimer->stop();
    m_engine->stop();
    end(SourceEnd::Kind::Done, {});
}

void PortSource::onStarted(RadioModes /*modes*/, const QString &identification)
{
    if (m_phase != Phase::Connecting && m_phase != Phase::Reconnecting) {
        return;
    }
    Q_EMIT identified(identification);
    if (m_phase == Phase::Reconnecting) {
        Q_EMIT said(QStringLiteral("%1: sweeping again").arg(m_port));
    }
    m_phase = Phase::Sweeping;
    m_swept = true;
    m_follower->opened();
    Q_EMIT runStarted();
}

void PortSource::onStopped(const StopReason &reason)
{
    if (m_phase == Phase::Ended || m_phase == Phase::Idle) {
        return;
    }
    SourceEnd::Kind kind = SourceEnd::Kind::Failed;
    QString message;
    switch (reason.kind) {
    case StopReason::Kind::UserStop:
        return;
    case StopReason::Kind::PortOpenFailed:
        // Only a first start ends on it; a reopening goes on trying.
        kind = SourceEnd::Kind::CannotOpen;
        message = reason.openFailure.reason;
        if (m_device != device()) {
            message = QStringLiteral("%1: %2").arg(device(), message);
        }
        break;
    case StopReason::Kind::PortFailed:
        message = QStringLiteral("%1: the port failed: %2").arg(device(), reason.detail);
        break;
    case StopReason::Kind::NoAnswer:
        kind = SourceEnd::Kind::NotUnderstood;
        message = QStringLiteral("%1: no module answered @FV").arg(device());
        break;
    case StopReason::Kind::UnsupportedModel:
        kind = SourceEnd::Kind::NotUnderstood;
        message =
            QStringLiteral("%1: unsupported module%2").arg(device(), moduleSaid(reason.detail));
        break;
    case StopReason::Kind::UnsupportedMode:
        // Reopening would find the module in the same mode.
        end(SourceEnd::Kind::NotUnderstood,
            QStringLiteral("%1: the module is in a mode other than FSK, LoRa or Air "
                           "Monitor%2")
                .arg(device(), moduleSaid(reason.detail)));
        return;
    case StopReason::Kind::Stalled: {
        const std::chrono::duration<double> stall =
            m_sweepOptions.stallTimeout.value_or(std::chrono::milliseconds{0});
        message = QStringLiteral("%1: the module stopped answering: no reading for %2 s")
                      .arg(device())
                      .arg(stall.count());
        break;
    }
    }
    if (!m_reconnect || !m_swept) {
        end(kind, message);
        return;
    }
    if (m_phase != Phase::Reconnecting) {
        m_phase = Phase::Reconnecting;
        Q_EMIT said(message + QStringLiteral("; reopening it once a second"));
        Q_EMIT runBroken(message);
    }
    m_reopenTimer->start();
}

void PortSource::reopen()
{
    if (m_phase == Phase::Reconnecting && m_engine->state() == SweepEngine::State::Idle) {
        open();
    }
}

void PortSource::end(SourceEnd::Kind kind, const QString &message)
{
    if (m_phase == Phase::Ended) {
        return;
    }
    m_phase = Phase::Ended;
    m_reopenTimer->stop();
    Q_EMIT ended(SourceEnd{kind, message});
}

QString PortSource::device() const
{
    return portname::resolve(m_port).value_or(m_port);
}
