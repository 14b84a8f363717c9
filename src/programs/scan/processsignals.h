#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
class SelfPipe;

// The signals a long-running program answers, as Qt signals on the event loop through a
// self-pipe: SIGINT and SIGTERM ask it to stop, after which they take their default action
// again, so that a second Ctrl+C ends a program that fails to finish; SIGHUP (what logrotate
// sends) asks it to reopen its files, as often as it comes.
class ProcessSignals : public QObject
{
    Q_OBJECT

public:
    explicit ProcessSignals(QObject *parent = nullptr);
    ~ProcessSignals() override;
    ProcessSignals(const ProcessSignals &) = delete;
    ProcessSignals &operator=(const ProcessSignals &) = delete;

    // From now on SIGINT and SIGTERM end the program at once: for work at the very end that
    // holds the event loop and has nothing left to lose.
    void stopAtOnce() const;
    // Why the signals could not be caught, or empty: they then keep their default action.
    [[nodiscard]] QString errorString() const { return m_error; }

Q_SIGNALS:
    void stopRequested(int signalNumber);
    void reopenRequested();

private:
    void readPipe();

    std::unique_ptr<SelfPipe> m_pipe;
    // Gone before the pipe it watches.
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_error;
};
