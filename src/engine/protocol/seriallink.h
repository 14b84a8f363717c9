#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

// The few serial operations the monitor needs. The real implementation wraps QSerialPort;
// tests use a scripted one. Every failure is reported through a false result, so that
// callers can trap it where the port is touched.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Selects the device for the next open; the name is already resolved (COM3, /dev/ttyUSB0).
    virtual void selectPort(const QString &systemName) = 0;
    [[nodiscard]] virtual bool open() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Queues one whole line for sending, in order.
    [[nodiscard]] virtual bool writeLine(const QByteArray &line) = 0;
    // Up to maxSize of the bytes received and not yet read, into data; how many.
    virtual qint64 read(char *data, qint64 maxSize) = 0;
    // The receive signal may wait until this many bytes have arrived since the last read,
    // from now until the next call; 1 after an open.
    virtual void setReadThreshold(qsizetype count) = 0;
    [[nodiscard]] virtual QString errorString() const = 0;
    // Why the last open() failed, for telling a missing device from a denied or busy one.
    [[nodiscard]] virtual QSerialPort::SerialPortError openError() const = 0;

Q_SIGNALS:
    void received();
    // A fault on an open port that no write reported: the device went away, a read failed.
    void failed();
};
