#include "engine/port/serialportprobe.h"

#include <QSerialPort>

bool SerialPortProbe::opens(const QString &systemName)
{
    QSerialPort port;
    port.setPortName(systemName);
    if (!port.open(QIODevice::ReadWrite)) {
        return false;
    }
    port.close();
    return true;
}
