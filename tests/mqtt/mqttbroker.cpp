#include "mqttbroker.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
constexpr int kStartMs = 10000;
constexpr int kStopMs = 5000;
constexpr int kProbeMs = 200;
} // namespace

void MqttBroker::requireLogin(const QString &user, const QString &password)
{
    const QString file = m_dir.filePath(QStringLiteral("passwords"));
    QFile(file).open(QIODevice::WriteOnly);
    if (QProcess::execute(QStringLiteral("mosquitto_passwd"),
                          {QStringLiteral("-b"), file, user, password}) == 0) {
        m_login = QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(file);
    }
}

bool MqttBroker::start()
{
    if (m_port == 0) {
        QTcpServer server;
        m_port = server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
    }
    // Run as root, the broker would switch to a user of its own, who cannot read these files.
    const passwd *user = getpwuid(getuid());
    const QString config =
        QStringLiteral("listener %1 127.0.0.1\npersistence true\npersistence_location %2/\n"
                       "sys_interval 1\nuser %3\n%4")
            .arg(m_port)
            .arg(m_dir.path(), QString::fromLocal8Bit(user != nullptr ? user->pw_name : ""),
                 m_login.isEmpty() ? QStringLiteral("allow_anonymous true\n") : m_login);
    QFile file(m_dir.filePath(QStringLiteral("mosquitto.conf")));
    if (m_port == 0 || !file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        return false;
    }
    file.close();
    m_process.setProgram(QStandardPaths::findExecutable(
        QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")}));
    m_process.setArguments({QStringLiteral("-c"), file.fileName()});
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // Gone with the test, even when the test crashes.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start();
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && m_process.waitForStarted()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
        if (probe.waitForConnected(kProbeMs)) {
            return true;
        }
        m_process.waitForFinished(kProbeMs); // the broker may have given up
    }
    m_output += QString::fromLocal8Bit(m_process.readAll());
    return false;
}

void MqttBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    // SIGTERM: the broker saves its sessions for the next start.
    m_process.terminate();
    if (!m_process.waitForFinished(kStopMs)) {
        m_process.kill();
        m_process.waitForFinished();
    }
    m_output += QString::fromLocal8Bit(m_process.readAll());
}
