#include "programs/scan/stopsignals.h"
#include "core/selfpipe.h"

#include <QSocketNotifier>

#include <csignal>
#include <system_error>

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    try {
        m_pipe = std::make_unique<SelfPipe>(std::initializer_list<int>{SIGINT, SIGTERM});
    } catch (const std::system_error &error) {
        m_error = QString::fromLocal8Bit(error.what());
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe->readFd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignals::readPipe);
}

StopSignals::~StopSignals() = default;

void StopSignals::readPipe()
{
    while (const int number = m_pipe->takeSignal()) {
        m_pipe->restoreDefaults();
        Q_EMIT stopRequested(number);
    }
}
