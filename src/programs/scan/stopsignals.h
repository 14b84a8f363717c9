#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
class SelfPipe;

// SIGINT and SIGTERM as a Qt signal on the event loop, through a self-pipe. After the first,
// the signals take their default action again, so a second Ctrl+C ends a program that fails to
// finish.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // Why the signals could not be caught, or empty: they then keep their default action.
    [[nodiscard]] QString errorString() const { return m_error; }

Q_SIGNALS:
    void stopRequested(int signalNumber);

private:
    void readPipe();

    std::unique_ptr<SelfPipe> m_pipe;
    // Gone before the pipe it watches.
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_error;
};
