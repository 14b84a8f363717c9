#include "engine/protocol/qtseriallink.h"

#include "engine/protocol/serialtrace.h"

#include <QSerialPort>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
constexpr qint32 kBaudRate = 19200;
// Bounded, the port's read buffer keeps its block from one read to the next instead of taking
// a fresh one for each; the sweep engine empties it at every receive signal.
constexpr qint64 kReadBufferSize = 4096;
#ifdef Q_OS_UNIX
// VMIN is one byte wide.
constexpr qsizetype kMostReadThreshold = 255;
#endif
} // namespace

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
    m_port->setReadBufferSize(kReadBufferSize);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_openError = m_port->error();
        qCDebug(lcSerial) << "open" << m_port->portName() << "failed:" << m_port->errorString();
        return false;
    }
    qCDebug(lcSerial) << "opened" << m_port->portName();
    // QSerialPort opens with VMIN 0, which wakes at every byte as a threshold of 1 does.
    m_readThreshold = 1;
    m_writeError.clear();
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
        // The next program to open the device finds it as reading every byte.
        setReadThreshold(1);
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
    QByteArrayView rest(line);
#ifdef Q_OS_UNIX
    // A command line fits in the terminal's buffer. Written straight to the device it needs no
    // write notifier, which the event loop would add and remove again for every command.
    if (m_port->bytesToWrite() == 0) {
        const ssize_t written = ::write(m_port->handle(), line.constData(), size_t(line.size()));
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            m_writeError = qt_error_string(errno);
            return false;
        }
        rest = rest.sliced(std::max<qsizetype>(written, 0));
        if (rest.isEmpty()) {
            return true;
        }
    }
#endif
    if (m_port->write(rest.data(), rest.size()) != rest.size()) {
        return false;
    }
    // Hand the line to the driver now rather than on a later pass of the event loop, where a
    // repaint could delay it.
    m_port->flush();
    return true;
}

qint64 QtSerialLink::read(char *data, qint64 maxSize)
{
    const qint64 count = m_port->read(data, maxSize);
    if (count > 0) {
        qCDebug(lcSerial) << "rx" << QByteArrayView(data, count);
    }
    return count;
}

void QtSerialLink::setReadThreshold(qsizetype count)
{
#ifdef Q_OS_UNIX
    count = std::clamp<qsizetype>(count, 1, kMostReadThreshold);
    if (count == m_readThreshold || !m_port->isOpen()) {
        return;
    }
    termios settings{};
    if (::tcgetattr(m_port->handle(), &settings) != 0) {
        return;
    }
    // With VTIME 0, poll() reports the terminal readable only once VMIN bytes wait; reads
    // stay non-blocking and take what is there.
    settings.c_cc[VMIN] = static_cast<cc_t>(count);
    settings.c_cc[VTIME] = 0;
    if (::tcsetattr(m_port->handle(), TCSANOW, &settings) == 0) {
        m_readThreshold = count;
    }
#else
    Q_UNUSED(count)
#endif
}

QString QtSerialLink::errorString() const
{
    return m_writeError.isEmpty() ? m_port->errorString() : m_writeError;
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
