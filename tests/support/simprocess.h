#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The module simulator as a child process on a pseudo-terminal, with its traffic log.
class SimProcess
{
public:
    struct LogEntry
    {
        qint64 micros = 0;
        bool fromMonitor = false; // rx: a command the monitor sent; tx: a reply
        QByteArray bytes;         // unescaped, line end included
    };

    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator (KVT318_SIM names it) with these options plus a log, unless they name
    // one (/dev/null for a long run); false when it does not come up within a few seconds.
    [[nodiscard]] bool start(const QStringList &options);
    void stop();

    [[nodiscard]] QString devicePath() const { return m_devicePath; }
    [[nodiscard]] QString logPath() const;
    [[nodiscard]] QProcess &process() { return m_process; }

    // Every line of the log written so far.
    [[nodiscard]] QList<LogEntry> log() const;
    // The commands the monitor sent, in order, without their line ends.
    [[nodiscard]] QList<QByteArray> commands() const;

    static QByteArray unescape(const QByteArray &escaped);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_devicePath;
};
