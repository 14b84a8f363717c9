#pragma once

#include "engine/port/portprobe.h"

// Probes a port with QSerialPort.
class SerialPortProbe final : public PortProbe
{
public:
    [[nodiscard]] bool opens(const QString &systemName) override;
};
