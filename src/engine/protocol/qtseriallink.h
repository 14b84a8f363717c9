#pragma once

#include "engine/protocol/seriallink.h"

// SerialLink over QSerialPort at the module's line settings: 19200 baud, 8N1, no flow control.
class QtSerialLink final : public SerialLink
{
    Q_OBJECT

public:
    explicit QtSerialLink(QObject *parent = nullptr);
    ~QtSerialLink() override;

    void selectPort(const QString &systemName) override;
    [[nodiscard]] bool open() override;
    [[nodiscard]] bool isOpen() const override;
    void close() override;
    [[nodiscard]] bool writeLine(const QByteArray &line) override;
    qint64 read(char *data, qint64 maxSize) override;
    // On Unix the terminal's VMIN: the system wakes the program only once that many bytes
    // wait, not for each byte of a reply.
    void setReadThreshold(qsizetype count) override;
    [[nodiscard]] QString errorString() const override;
    [[nodiscard]] QSerialPort::SerialPortError openError() const override;

private:
    void handlePortError();

    QSerialPort *m_port = nullptr;
    bool m_inUse = false;
    QSerialPort::SerialPortError m_openError = QSerialPort::NoError;
    qsizetype m_readThreshold = 1;
    // Why the latest write straight to the device failed; empty after an open.
    QString m_writeError;
};
