#include "mqttbroker.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <pwd.h>
#include <unistd.h>

namespace {
constexpr int kStartMs = 10000;
constexpr int kStopMs = 5000;
constexpr int kProbeMs = 200;

int freeLoopbackPort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost) ? server.serverPort() : 0;
}

// Run as root, the broker would switch to its own user, who cannot read the test's files.
QString currentUser()
{
    const passwd *entry = getpwuid(getuid());
    return entry != nullptr ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

QString brokerProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("mosquitto"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                           QStringLiteral("/usr/local/sbin")});
}
} // namespace

MqttBroker::~MqttBroker()
{
    stop();
}

void MqttBroker::requireLogin(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
}

bool MqttBroker::writeConfig()
{
    QString config = QStringLiteral("listener %1 127.0.0.1\n"
                                    "persistence true\n"
                                    "persistence_location %2/\n"
                                    "log_dest stderr\n"
                                    "user %3\n")
                         .arg(m_port)
                         .arg(m_dir.path(), currentUser());
    if (m_user.isEmpty()) {
        config += QStringLiteral("allow_anonymous true\n");
    } else {
        const QString passwords = m_dir.filePath(QStringLiteral("passwords"));
        QFile::remove(passwords);
        QFile(passwords).open(QIODevice::WriteOnly);
        const int made = QProcess::execute(QStringLiteral("mosquitto_passwd"),
                                           {QStringLiteral("-b"), passwords, m_user, m_password});
        if (made != 0) {
            return false;
        }
        config += QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(passwords);
    }
    QFile file(m_dir.filePath(QStringLiteral("mosquitto.conf")));
    return file.open(QIODevice::WriteOnly) && file.write(config.toUtf8()) == config.toUtf8().size();
}

bool MqttBroker::start()
{
    if (m_port == 0) {
        m_port = freeLoopbackPort();
    }
    if (!m_dir.isValid() || m_port == 0 || !writeConfig()) {
        return false;
    }
    m_process.setProgram(brokerProgram());
    m_process.setArguments(
        {QStringLiteral("-c"), m_dir.filePath(QStringLiteral("mosquitto.conf"))});
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start();
    if (!m_process.waitForStarted()) {
        return false;
    }
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
        if (probe.waitForConnected(kProbeMs)) {
            return true;
        }
        m_process.waitForFinished(kProbeMs);
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
