#include "programs/scan/scanrun.h"
#include "core/channelplan.h"

#include "engine/port/portname.h"
#include "engine/port/portopenfailure.h"
#include "engine/protocol/monitorsession.h"
#include "engine/protocol/seriallink.h"
#include "engine/protocol/texts.h"
#include "programs/scan/scanoptions.h"

#include <QTimer>

#include <utility>

namespace {} // namespace

ScanRun::ScanRun(const ScanOptions &options, SerialLink &link, QObject *parent)
    : QObject(parent)
    , m_view(options.port, options.sampleCount, options.channel.has_value())
    , m_link(link)
    , m_reopenTimer(new QTimer(this))
    , m_modeCheck(new QTimer(this))
    , m_stopCheck(new QTimer(this))
    , m_stallTimer(new QTimer(this))
    , m_reconnect(options.reconnect)
{
    m_state.chStart = channelplan::kFirstChannel;
    m_state.chMax = channelplan::kLastIndex;
    m_state.rssi.fill(MonitorState::kNoReading);
    m_state.rssiMax.fill(MonitorState::kNoReading);
    if (options.channel) {
        m_state.cursorCh = channelplan::channelIndex(*options.channel);
    }
    m_session = new MonitorSession(m_state, m_view, m_link, this);
    m_reopenTimer->setSingleShot(true);
    m_reopenTimer->setInterval(kReconnectInterval);
    for (QTimer *check : {m_modeCheck, m_stopCheck}) {
        check->setSingleShot(true);
        check->setInterval(0);
    }

    m_stallTimer->setSingleShot(true);
    if (options.stallTimeout) {
        m_stallTimer->setInterval(*options.stallTimeout);
        connect(m_session, &MonitorSession::readingStored, this, &ScanRun::onReading);
        connect(m_stallTimer, &QTimer::timeout, this, &ScanRun::onStall);
    }

    m_view.setCaptionListener([this](const QString &caption) { onCaption(caption); });
    connect(m_reopenTimer, &QTimer::timeout, this, &ScanRun::reopen);
    connect(m_modeCheck, &QTimer::timeout, this, &ScanRun::checkMode);
    connect(m_stopCheck, &QTimer::timeout, this, &ScanRun::handleStopped);
}

ScanRun::~ScanRun()
{
    m_view.setCaptionListener({});
}

void ScanRun::start()
{
    if (!portname::resolve(m_view.portText())) {
        end(OpenFailed, QStringLiteral("'%1' names no serial port; give a name such as COM3 or "
                                       "/dev/ttyUSB0")
                            .arg(m_view.portText()));
        return;
    }
    m_phase = Phase::Connecting;
    m_session->Command1_Click();
    if (!m_link.isOpen()) {
        end(OpenFailed,
            classifyPortOpenFailure(device(), m_link.openError(), m_link.errorString()).reason);
    }
}

void ScanRun::stop()
{
    if (m_phase == Phase::Ended) {
        return;
    }
    m_stopping = true;
    m_reopenTimer->stop();
    if (m_link.isOpen()) {
        m_session->Command1_Click();
        m_session->completeStopRequest();
    }
    end(Finished, {});
}

void ScanRun::onCaption(const QString &caption)
{
    // The session is in the middle of a step here: look at the outcome once it has finished.
    if (caption == texts::buttonStarted()) {
        m_modeCheck->start();
    } else if (caption == texts::buttonStopped() && !m_stopping) {
        m_stopCheck->start();
    }
}

void ScanRun::checkMode()
{
    if (m_phase != Phase::Connecting && m_phase != Phase::Reconnecting) {
        return;
    }
    if (!m_view.checkedMode()) {
        end(NoModule, QStringLiteral("%1: the module is in a mode other than FSK, LoRa or Air "
                                     "Monitor%2")
                          .arg(device(), moduleSaid()));
        return;
    }
    m_phase = Phase::Sweeping;
    m_swept = true;
    onReading();
    Q_EMIT sweeping();
}

void ScanRun::onReading()
{
    if (m_phase == Phase::Sweeping && m_stallTimer->interval() > 0) {
        m_stallTimer->start();
    }
}

void ScanRun::onStall()
{
    if (m_phase != Phase::Sweeping) {
        return;
    }
    // The window waits for ever on a silent module; a recorder left alone must not.
    m_stalled = true;
    m_session->StopMonitor();
}

void ScanRun::handleStopped()
{
    m_stallTimer->stop();
    const bool stalled = std::exchange(m_stalled, false);
    if (m_phase == Phase::Ended || m_phase == Phase::Idle || m_stopping) {
        return;
    }
    const QString message = m_view.message();
    int code = PortFailed;
    QString reason;
    if (stalled) {
        reason = QStringLiteral("%1: the module stopped answering: no reading for %2 s")
                     .arg(device())
                     .arg(m_stallTimer->interval() / 1000.0);
    } else if (message == texts::noResponse()) {
        code = NoModule;
        reason = QStringLiteral("%1: no module answered @FV").arg(device());
    } else if (message == texts::unsupportedDevice()) {
        code = NoModule;
        reason = QStringLiteral("%1: unsupported module%2").arg(device(), moduleSaid());
    } else if (m_phase == Phase::Reconnecting) {
        reason = classifyPortOpenFailure(device(), m_link.openError(), m_link.errorString()).reason;
    } else {
        reason = QStringLiteral("%1: the port failed: %2").arg(device(), m_link.errorString());
    }
    if (!m_reconnect || !m_swept) {
        end(code, reason);
        return;
    }
    if (m_phase != Phase::Reconnecting) {
        m_phase = Phase::Reconnecting;
        Q_EMIT interrupted(reason);
    }
    m_reopenTimer->start();
}

void ScanRun::reopen()
{
    if (m_phase != Phase::Reconnecting || m_link.isOpen()) {
        return;
    }
    m_session->Command1_Click();
}

void ScanRun::end(int exitCode, const QString &message)
{
    if (m_phase == Phase::Ended) {
        return;
    }
    m_phase = Phase::Ended;
    m_reopenTimer->stop();
    m_stallTimer->stop();
    Q_EMIT ended(exitCode, message);
}

QString ScanRun::device() const
{
    return portname::resolve(m_view.portText()).value_or(m_view.portText());
}

QString ScanRun::moduleSaid() const
{
    const QString said = m_view.received().trimmed();
    return said.isEmpty() ? QString() : QStringLiteral(" (it said \"%1\")").arg(said);
}
