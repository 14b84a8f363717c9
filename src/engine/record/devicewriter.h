#pragma once

#include "engine/record/recordsink.h"

#include <QByteArray>

class QIODevice;

// A record sink writing lines to an open device, each line handed on before the write returns.
class DeviceWriter : public RecordSink
{
public:
    explicit DeviceWriter(QIODevice &device);

    [[nodiscard]] QString errorString() const override;

protected:
    bool writeLine(const QByteArray &line);

private:
    QIODevice &m_device;
    QString m_error;
};
