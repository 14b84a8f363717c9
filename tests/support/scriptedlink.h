#pragma once

#include "engine/protocol/seriallink.h"

#include <QByteArrayList>

// An in-process SerialLink for tests: records what is written, delivers what the test feeds
// it, and fails opens or writes on request.
class ScriptedLink final : public SerialLink
{
    Q_OBJECT

public:
    using SerialLink::SerialLink;

    void selectPort(const QString &systemName) override;
    [[nodiscard]] bool open() override;
    [[nodiscard]] bool isOpen() const override;
    void close() override;
    [[nodiscard]] bool writeLine(const QByteArray &line) override;
    qint64 read(char *data, qint64 maxSize) override;
    void setReadThreshold(qsizetype count) override { readThreshold = count; }
    [[nodiscard]] QString errorString() const override;
    [[nodiscard]] QSerialPort::SerialPortError openError() const override;

    // Queues bytes as if the module sent them and raises the receive signal.
    void feed(const QByteArray &bytes);
    // Raises the fault signal, as a device that went away.
    void breakLine();

    QString selectedPort;
    QByteArrayList written;
    int closeCount = 0;
    // The latest threshold the engine set; this link delivers every feed at once regardless.
    qsizetype readThreshold = 1;
    bool failOpen = false;
    bool failWrite = false;
    // Fed one for each line written, in order, once the event loop runs again: a module's
    // answers.
    QByteArrayList replies;

private:
    bool m_open = false;
    QByteArray m_pending;
};
