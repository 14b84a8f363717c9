#include "programs/scan/processsignals.h"
#include "core/selfpipe.h"

#include <QSocketNotifier>

#include <csignal>
#include <system_error>

ProcessSignals::ProcessSignals(QObject *parent)
    : QObject(parent)
{
    try {
        m_pipe = std::make_unique<SelfPipe>(std::initializer_list<int>{SIGINT, SIGTERM, SIGHUP});
    } catch (const std::system_error &error) {
        m_error = QString::fromLocal8Bit(error.what());
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe->readFd(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ProcessSignals::readPipe);
}

ProcessSignals::~ProcessSignals() = default;

void ProcessSignals::stopAtOnce() const
{
    if (m_pipe) {
        m_pipe->restoreDefaults({SIGINT, SIGTERM});
    }
}

void ProcessSignals::readPipe()
{
    while (const int number = m_pipe->takeSignal()) {
        if (number == SIGHUP) {
            Q_EMIT reopenRequested();
            continue;
        }
        // A SIGHUP while the program ends must not kill it before its files are complete.
        m_pipe->restoreDefaults({SIGINT, SIGTERM});
        Q_EMIT stopRequested(number);
    }
}
