#include "simprocess.h"

#include <QDeadlineTimer>
#include <QFile>

#include <chrono>

namespace {
// A Debug build on two shared cores, beside other work, may take a while to come up.
constexpr std::chrono::seconds kStartTimeout{60};
constexpr std::chrono::seconds kStopTimeout{3};
} // namespace

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::logPath() const
{
    return m_dir.filePath(QStringLiteral("traffic.log"));
}

bool SimProcess::start(const QStringList &options)
{
    const QString program = qEnvironmentVariable("KVT318_SIM");
    if (program.isEmpty() || !m_dir.isValid()) {
        return false;
    }
    m_process.setProgram(program);
    const bool logged = options.contains(QLatin1String("--log"));
    m_process.setArguments(logged ? options
                                  : options + QStringList{QStringLiteral("--log"), logPath()});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted()) {
        return false;
    }
    const QDeadlineTimer deadline(kStartTimeout);
    while (!m_process.canReadLine() && !deadline.hasExpired()) {
        m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    m_devicePath = QString::fromLocal8Bit(m_process.readLine().trimmed());
    return m_devicePath.startsWith(QLatin1String("/dev/"));
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(kStopTimeout).count()))) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QByteArray SimProcess::unescape(const QByteArray &escaped)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char c = escaped.at(i);
        if (c != '\\' || i + 1 >= escaped.size()) {
            bytes.append(c);
            continue;
        }
        const char next = escaped.at(++i);
        if (next == 'r') {
            bytes.append('\r');
        } else if (next == 'n') {
            bytes.append('\n');
        } else if (next == 'x' && i + 2 < escaped.size()) {
            bytes.append(static_cast<char>(escaped.mid(i + 1, 2).toInt(nullptr, 16)));
            i += 2;
        } else {
            bytes.append(next);
        }
    }
    return bytes;
}

QList<SimProcess::LogEntry> SimProcess::log() const
{
    QList<LogEntry> entries;
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return entries;
    }
    while (!file.atEnd()) {
        const QByteArray raw = file.readLine();
        if (!raw.endsWith('\n')) {
            break; // a line still being written
        }
        const QByteArray line = raw.chopped(1);
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3) {
            continue;
        }
        LogEntry entry;
        entry.micros = fields.at(0).toLongLong();
        entry.fromMonitor = fields.at(1) == "rx";
        entry.bytes = unescape(line.mid(fields.at(0).size() + fields.at(1).size() + 2));
        entries.append(entry);
    }
    return entries;
}

QList<QByteArray> SimProcess::commands() const
{
    QList<QByteArray> sent;
    const QList<LogEntry> entries = log();
    for (const LogEntry &entry : entries) {
        if (entry.fromMonitor) {
            QByteArray command = entry.bytes;
            while (command.endsWith('\n') || command.endsWith('\r')) {
                command.chop(1);
            }
            sent.append(command);
        }
    }
    return sent;
}
