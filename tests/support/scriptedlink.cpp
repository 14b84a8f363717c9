#include "scriptedlink.h"

#include <algorithm>

void ScriptedLink::selectPort(const QString &systemName)
{
    selectedPort = systemName;
}

bool ScriptedLink::open()
{
    if (failOpen || m_open) {
        return false;
    }
    m_open = true;
    return true;
}

bool ScriptedLink::isOpen() const
{
    return m_open;
}

void ScriptedLink::close()
{
    if (m_open) {
        ++closeCount;
    }
    m_open = false;
    m_pending.clear();
}

bool ScriptedLink::writeLine(const QByteArray &line)
{
    if (!m_open || failWrite) {
        return false;
    }
    written.append(line);
    if (!replies.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, reply = replies.takeFirst()] { feed(reply); }, Qt::QueuedConnection);
    }
    return true;
}

qint64 ScriptedLink::read(char *data, qint64 maxSize)
{
    const qsizetype count = std::min(m_pending.size(), qsizetype(maxSize));
    std::copy_n(m_pending.constData(), count, data);
    m_pending.remove(0, count);
    return count;
}

QString ScriptedLink::errorString() const
{
    return failOpen ? QStringLiteral("scripted open failure") : QString();
}

QSerialPort::SerialPortError ScriptedLink::openError() const
{
    return failOpen ? QSerialPort::DeviceNotFoundError : QSerialPort::NoError;
}

void ScriptedLink::feed(const QByteArray &bytes)
{
    m_pending.append(bytes);
    Q_EMIT received();
}

void ScriptedLink::breakLine()
{
    Q_EMIT failed();
}
