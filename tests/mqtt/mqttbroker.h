#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A mosquitto broker of the test's own on a free loopback port. It keeps sessions and queued
// messages across a stop and a start; requireLogin makes it accept one user and password only.
class MqttBroker
{
public:
    ~MqttBroker() { stop(); }

    void requireLogin(const QString &user, const QString &password);
    // On the same port as before, or a free one the first time; false when the broker does not
    // take connections within a few seconds.
    [[nodiscard]] bool start();
    void stop();

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(m_port); }
    [[nodiscard]] QString output() const { return m_output; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QString m_login;
    QString m_output;
};
