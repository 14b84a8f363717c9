#include "engine/protocol/qtseriallink.h"

#include "engine/protocol/serialtrace.h"

#include <QSerialPort>

namespace {
constexpr qint32 kBaudRate = 19200;
}

QtSerialLink::QtSerialLink(QObject *parent)
    : SerialLink(parent)
    , m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::received);
    connect(m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::handlePortError);
}

QtSerialLink::~QtSerialLink() = default;

void QtSerialLink::selectPort(const QString &systemName)
{
    if (m_port->isOpen()) {
        m_port->close();
    }
    m_port->setPortName(systemName);
}

bool QtSerialLink::open()
{
    if (m_port->portName().isEmpty()) {
        m_openError = QSerialPort::DeviceNotFoundError;
        return false;
    }
    m_port->setBaudRate(kBaudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_openError = m_port->error();
        qCDebug(lcSerial) << "open" << m_port->portName() << "failed:" << m_port->errorString();
        return false;
    }
    qCDebug(lcSerial) << "opened" << m_port->portName();
    m_openError = QSerialPort::NoError;
    m_inUse = true;
    return true;
}

bool QtSerialLink::isOpen() const
{
    return m_port->isOpen();
}

void QtSerialLink::close()
{
    m_inUse = false;
    if (m_port->isOpen()) {
        m_port->close();
        qCDebug(lcSerial) << "closed" << m_port->portName();
    }
}

bool QtSerialLink::writeLine(const QByteArray &line)
{
    if (!m_port->isOpen()) {
        return false;
    }
    qCDebug(lcSerial) << "tx" << line;
    if (m_port->write(line) != line.size()) {
        return false;
    }
    // Hand the line to the driver now rather than on a later pass of the event loop, where a
    // repaint could delay it.
    m_port->flush();
    return true;
}

QByteArray QtSerialLink::readAll()
{
    QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty()) {
        qCDebug(lcSerial) << "rx" << bytes;
    }
    return bytes;
}

QString QtSerialLink::errorString() const
{
    return m_port->errorString();
}

QSerialPort::SerialPortError QtSerialLink::openError() const
{
    return m_openError;
}

void QtSerialLink::handlePortError()
{
    const QSerialPort::SerialPortError error = m_port->error();
    // Open failures are reported by open() itself; only faults during a session matter here.
    // The port may already have been closed by Qt when the device vanished.
    if (!m_inUse || error == QSerialPort::NoError || error == QSerialPort::TimeoutError) {
        return;
    }
    qCDebug(lcSerial) << "port fault:" << m_port->errorString();
    m_inUse = false;
    if (m_port->isOpen()) {
        m_port->close();
    }
    Q_EMIT failed();
}
