#include "engine/port/systemportsource.h"

#include "engine/port/portentry.h"

#include <QSerialPortInfo>

#include <optional>

namespace {
// What the user would type for this port: COM3 on Windows, the device file elsewhere.
QString portNameOf(const QSerialPortInfo &info)
{
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation();
#endif
}
} // namespace

QList<PortCandidate> SystemPortSource::candidates() const
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    QList<PortCandidate> found;
    found.reserve(ports.size());
    for (const QSerialPortInfo &info : ports) {
        const std::optional<quint16> vendor =
            info.hasVendorIdentifier() ? std::optional(info.vendorIdentifier()) : std::nullopt;
        const std::optional<quint16> product =
            info.hasProductIdentifier() ? std::optional(info.productIdentifier()) : std::nullopt;
        found.append({portentry::displayName(info.description(), portNameOf(info)),
                      portentry::deviceIdentifier(vendor, product, info.serialNumber(),
                                                  info.systemLocation())});
    }
    return found;
}
