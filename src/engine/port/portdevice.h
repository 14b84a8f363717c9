#pragma once

#include <QList>
#include <QString>

#include <optional>

// One serial port as the system lists it, with what identifies its device across re-plugging.
struct PortDevice
{
    // The name to open: /dev/ttyUSB0 (COM3 on Windows).
    QString location;
    QString description;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString serialNumber;
    // Where the system keeps it: /dev/ttyUSB0 (\\.\COM3 on Windows).
    QString systemLocation;
};

// Whether both are the same USB device under any name: the same vendor, product and serial
// number. A port without all three is like no other.
[[nodiscard]] bool sameUsbDevice(const PortDevice &one, const PortDevice &other);

// "0403:6001 serial A1B2C3", or "0403:6001" without a serial number; empty without USB ids.
QString usbText(const PortDevice &port);

// Where the serial ports of the computer are learnt.
class PortDevices
{
public:
    virtual ~PortDevices() = default;
    [[nodiscard]] virtual QList<PortDevice> list() const = 0;
};
