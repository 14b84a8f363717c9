#include "engine/port/systemportdevices.h"

#include <QSerialPortInfo>

QList<PortDevice> SystemPortDevices::list() const
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    QList<PortDevice> found;
    found.reserve(ports.size());
    for (const QSerialPortInfo &info : ports) {
        PortDevice port;
#ifdef Q_OS_WIN
        port.location = info.portName();
#else
        port.location = info.systemLocation();
#endif
        port.systemLocation = info.systemLocation();
        port.description = info.description();
        if (info.hasVendorIdentifier()) {
            port.vendorId = info.vendorIdentifier();
        }
        if (info.hasProductIdentifier()) {
            port.productId = info.productIdentifier();
        }
        port.serialNumber = info.serialNumber();
        found.append(port);
    }
    return found;
}
