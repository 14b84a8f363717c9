#include "engine/protocol/sweepengine.h"

#include "core/channelplan.h"
#include "engine/port/portname.h"
#include "engine/protocol/commandtext.h"
#include "engine/protocol/replyparser.h"
#include "engine/protocol/seriallink.h"
#include "engine/protocol/serialtrace.h"

#include <QDateTime>
#include <QTimer>

#include <array>
#include <chrono>
#include <thread>
#include <utility>

namespace {

enum ConnectStep { AskModel = 1, CheckModel = 2, ReadMode = 3, BeginSweep = 4 };

// The receive buffer holds a flood's newest bytes and one read's worth beside them, and keeps
// that room from one reply to the next.
constexpr qint64 kReadChunk = 512;
constexpr qsizetype kRxBufRoom = SweepEngine::kRxBufLimit + kReadChunk;

// Holds the thread on purpose: nothing else may run before "@RA" goes out, and a timer could
// not promise the pause to the millisecond. A sleeping thread never wakes early and, on an idle
// machine, late by a fraction of a millisecond, so the whole pause is slept and costs no CPU.
void holdThread(std::chrono::steady_clock::duration pause)
{
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + pause);
}

QString channelField(int index)
{
    return command::channelField(channelplan::channelNumber(index));
}

} // namespace

SweepEngine::SweepEngine(std::unique_ptr<SerialLink> link, QObject *parent)
    : QObject(parent)
    , m_link(std::move(link))
    , m_connectTimer(new QTimer(this))
    , m_stallTimer(new QTimer(this))
{
    Q_ASSERT(m_link);
    m_rxBuf.reserve(kRxBufRoom);
    m_connectTimer->setObjectName(QStringLiteral("StartTimer"));
    m_connectTimer->setInterval(kConnectStepInterval);
    m_connectTimer->setTimerType(Qt::PreciseTimer);
    m_stallTimer->setSingleShot(true);

    connect(m_connectTimer, &QTimer::timeout, this, &SweepEngine::onConnectStep);
    connect(m_stallTimer, &QTimer::timeout, this, &SweepEngine::onStalled);
    connect(m_link.get(), &SerialLink::received, this, &SweepEngine::onBytesReceived);
    connect(m_link.get(), &SerialLink::failed, this, &SweepEngine::onPortFailed);
}

SweepEngine::~SweepEngine()
{
    // Quietly: whoever listened is going away too.
    m_link->disconnect(this);
    if (m_link->isOpen()) {
        m_link->close();
    }
}

void SweepEngine::start(const QString &portName, const SweepOptions &options)
{
    if (m_state != State::Idle) {
        return;
    }
    setModes({});
    const std::optional<QString> device = portname::resolve(portName);
    PortOpenFailure failure;
    if (!device) {
        failure = {PortOpenFailureKind::NoSuchDevice,
                   QStringLiteral("'%1' names no serial port; type a name such as COM1 or "
                                  "/dev/ttyUSB0")
                       .arg(portName.trimmed())};
    } else {
        m_link->selectPort(*device);
        if (m_link->open()) {
            m_options = options;
            for (int i = 0; i < channelplan::kChannelCount; ++i) {
                const QString field = channelField(i);
                const auto at = static_cast<std::size_t>(i);
                m_airCommands.at(at) = makeCommand(command::airMonitor(field, options.sampleCount));
                m_channelCommands.at(at) = makeCommand(command::selectChannel(field));
            }
            m_readRssi = makeCommand(command::readRssi());
            m_cursorOnly = options.cursorOnly;
            m_state = State::Connecting;
            m_stopRequested = false;
            m_connectStep = 0;
            m_readings.latest = MonitorState::noReadings();
            m_readings.highest = MonitorState::noReadings();
            m_connectTimer->start();
            Q_EMIT runStarted();
            return;
        }
        failure = classifyPortOpenFailure(*device, m_link->openError(), m_link->errorString());
    }
    qCWarning(lcSerial).noquote() << failure.reason;
    finish({StopReason::Kind::PortOpenFailed, failure, {}});
}

void SweepEngine::requestStop()
{
    if (m_state == State::Idle) {
        return;
    }
    setModes({});
    m_stopRequested = true;
}

void SweepEngine::completeStopRequest()
{
    if (m_stopRequested) {
        finish({});
    }
}

void SweepEngine::stop()
{
    if (m_state != State::Idle) {
        finish({});
    }
}

void SweepEngine::setMode(RadioMode mode, bool on)
{
    RadioModes modes = m_modes;
    modes.set(mode, on);
    setModes(modes);
}

void SweepEngine::setCursorChannel(std::optional<int> index)
{
    m_readings.cursorIndex = index;
}

void SweepEngine::setCursorOnly(bool on)
{
    m_cursorOnly = on;
}

void SweepEngine::resetMaxHold()
{
    m_readings.highest = m_readings.latest;
}

void SweepEngine::onConnectStep()
{
    ++m_connectStep;
    switch (m_connectStep) {
    case AskModel:
        send(makeCommand(command::identify()));
        break;
    case CheckModel:
        checkModel();
        break;
    case ReadMode:
        readMode();
        break;
    case BeginSweep:
        beginSweep();
        break;
    }
}

void SweepEngine::checkModel()
{
    switch (reply::checkModel(m_rxBuf)) {
    case reply::ModelCheck::Accepted:
        m_identification = m_rxBuf.trimmed();
        send(makeCommand(command::queryMode()));
        return;
    case reply::ModelCheck::Unsupported:
        qCDebug(lcSerial) << "unsupported device:" << m_rxBuf;
        finish({StopReason::Kind::UnsupportedModel, {}, m_rxBuf.trimmed()});
        return;
    case reply::ModelCheck::NoResponse:
        qCDebug(lcSerial) << "no identification reply";
        finish({StopReason::Kind::NoAnswer, {}, m_rxBuf.trimmed()});
        return;
    }
}

void SweepEngine::readMode()
{
    // Added to what is on: a mode turned on by hand while connecting stays on.
    RadioModes modes = m_modes;
    for (const RadioMode mode : kRadioModes) {
        if (reply::reportsMode(m_rxBuf, mode)) {
            modes.set(mode, true);
        }
    }
    m_modeReply = m_rxBuf.trimmed();
    emptyRxBuf();
    setModes(modes);
}

void SweepEngine::beginSweep()
{
    m_connectTimer->stop();
    m_readings.channelIndex = 0;
    emptyRxBuf();
    if (m_modes.isEmpty() && m_options.stopOnUnknownMode) {
        finish({StopReason::Kind::UnsupportedMode, {}, m_modeReply});
        return;
    }
    m_state = State::Sweeping;
    // Both kinds can be on at once; each then gets its first command.
    if ((m_modes.contains(RadioMode::Fsk) || m_modes.contains(RadioMode::LoRa)) &&
        !send(nextCommand(SweepKind::FskLoRa))) {
        return;
    }
    if (m_modes.contains(RadioMode::AirMonitor) && !send(nextCommand(SweepKind::AirMonitor))) {
        return;
    }
    armStallTimer();
    updateReadThreshold();
    Q_EMIT started(m_modes, m_identification);
}

void SweepEngine::onBytesReceived()
{
    std::array<char, kReadChunk> chunk{};
    bool arrived = false;
    for (qint64 count = 0; (count = m_link->read(chunk.data(), kReadChunk)) > 0;) {
        if (m_state != State::Idle) {
            appendReceived(chunk.data(), count);
            arrived = true;
        }
    }
    if (!arrived) {
        return;
    }
    Q_EMIT received(m_rxBuf);

    if ((m_modes.contains(RadioMode::Fsk) || m_modes.contains(RadioMode::LoRa)) && !readFskLoRa()) {
        return;
    }
    if (m_modes.contains(RadioMode::AirMonitor)) {
        readAirMonitor();
    }
    updateReadThreshold();
}

void SweepEngine::appendReceived(const char *bytes, qint64 count)
{
    // One character per byte, so that positions are byte positions and nothing is replaced.
    m_rxBuf.append(QLatin1String(bytes, static_cast<qsizetype>(count)));
    if (m_rxBuf.size() > kRxBufLimit) {
        m_rxBuf.remove(0, m_rxBuf.size() - kRxBufLimit);
    }
    m_rxSinceEmptied = true;
}

void SweepEngine::emptyRxBuf()
{
    if (m_rxSinceEmptied) {
        m_rxBeforeEmptied.swap(m_rxBuf);
        m_rxSinceEmptied = false;
    }
    // Keeps the room, unless a reader of the text held a share of it.
    m_rxBuf.resize(0);
    if (m_rxBuf.capacity() < kRxBufRoom) {
        m_rxBuf.reserve(kRxBufRoom);
    }
}

bool SweepEngine::readFskLoRa()
{
    if (reply::hasChannelSet(m_rxBuf)) {
        holdThread(kRssiReadPause);
        if (!send(m_readRssi)) {
            return false;
        }
    }
    if (const std::optional<qint16> value = reply::rssiReading(m_rxBuf)) {
        storeReading(*value, SweepKind::FskLoRa);
    }
    return m_state != State::Idle;
}

void SweepEngine::readAirMonitor()
{
    if (const std::optional<qint16> value = reply::airMonitorReading(m_rxBuf)) {
        storeReading(*value, SweepKind::AirMonitor);
    }
}

void SweepEngine::storeReading(qint16 value, SweepKind kind)
{
    const int measured = m_readings.channelIndex;
    const auto at = static_cast<std::size_t>(measured);
    m_readings.latest.at(at) = value;
    if (m_readings.highest.at(at) < value) {
        m_readings.highest.at(at) = value;
    }
    armStallTimer();
    RadioMode mode = RadioMode::AirMonitor;
    if (kind == SweepKind::FskLoRa) {
        mode = m_modes.contains(RadioMode::LoRa) ? RadioMode::LoRa : RadioMode::Fsk;
    }
    Q_EMIT readingStored(Reading{measured, value, QDateTime::currentMSecsSinceEpoch(), mode});
    if (m_state == State::Idle) {
        return;
    }

    int next = measured + 1;
    // The command in flight was chosen a step earlier, so a cursor change shows one reading late.
    if (m_cursorOnly && m_readings.cursorIndex) {
        next = *m_readings.cursorIndex;
    }
    if (next < 0 || next > channelplan::kLastIndex) {
        next = 0;
    }
    m_readings.channelIndex = next;
    if (!m_stopRequested) {
        send(nextCommand(kind));
    }
}

SweepEngine::Command SweepEngine::makeCommand(const QString &text)
{
    return {text, command::toLine(text)};
}

const SweepEngine::Command &SweepEngine::nextCommand(SweepKind kind) const
{
    const auto at = static_cast<std::size_t>(m_readings.channelIndex);
    return kind == SweepKind::AirMonitor ? m_airCommands.at(at) : m_channelCommands.at(at);
}

bool SweepEngine::send(const Command &command)
{
    emptyRxBuf();
    Q_EMIT commandSent(command.text);
    if (m_state == State::Idle) {
        return false;
    }
    if (m_link->writeLine(command.line)) {
        return true;
    }
    qCDebug(lcSerial) << "write failed:" << m_link->errorString();
    finish({StopReason::Kind::PortFailed, {}, m_link->errorString()});
    return false;
}

void SweepEngine::onPortFailed()
{
    // A dead port reports again and again; one stop is enough, and none when no run is on.
    if (m_state == State::Idle) {
        return;
    }
    qCDebug(lcSerial) << "port fault during a run:" << m_link->errorString();
    finish({StopReason::Kind::PortFailed, {}, m_link->errorString()});
}

void SweepEngine::onStalled()
{
    if (m_state != State::Sweeping || !m_options.stallTimeout) {
        return;
    }
    const auto quiet = std::chrono::steady_clock::now() - m_lastReadingAt;
    if (quiet < *m_options.stallTimeout) {
        m_stallTimer->start(
            std::chrono::ceil<std::chrono::milliseconds>(*m_options.stallTimeout - quiet));
        return;
    }
    finish({StopReason::Kind::Stalled, {}, {}});
}

void SweepEngine::armStallTimer()
{
    if (!m_options.stallTimeout || m_state != State::Sweeping) {
        return;
    }
    m_lastReadingAt = std::chrono::steady_clock::now();
    if (!m_stallTimer->isActive()) {
        m_stallTimer->start(*m_options.stallTimeout);
    }
}

void SweepEngine::setModes(RadioModes modes)
{
    if (modes == m_modes) {
        return;
    }
    m_modes = modes;
    updateReadThreshold();
    Q_EMIT modesChanged(m_modes);
}

void SweepEngine::updateReadThreshold()
{
    if (!m_link->isOpen()) {
        return;
    }
    // Connecting, or reading no reply, every byte is taken as it comes.
    const bool parsing = m_state == State::Sweeping && !m_modes.isEmpty();
    m_link->setReadThreshold(parsing ? reply::bytesAwaited(m_rxBuf, m_modes) : 1);
}

void SweepEngine::finish(const StopReason &reason)
{
    if (m_link->isOpen()) {
        m_link->close();
    }
    m_state = State::Idle;
    m_stopRequested = false;
    m_connectTimer->stop();
    m_stallTimer->stop();
    Q_EMIT stopped(reason);
}
