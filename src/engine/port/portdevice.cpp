#include "engine/port/portdevice.h"

namespace {
constexpr int kHexDigits = 4;
constexpr int kHexBase = 16;

QString ids(quint16 vendorId, quint16 productId)
{
    return QStringLiteral("%1:%2")
        .arg(vendorId, kHexDigits, kHexBase, QLatin1Char('0'))
        .arg(productId, kHexDigits, kHexBase, QLatin1Char('0'));
}
} // namespace

bool sameUsbDevice(const PortDevice &one, const PortDevice &other)
{
    return one.vendorId && one.productId && !one.serialNumber.isEmpty() &&
           one.vendorId == other.vendorId && one.productId == other.productId &&
           one.serialNumber == other.serialNumber;
}

QString usbText(const PortDevice &port)
{
    if (!port.vendorId || !port.productId) {
        return {};
    }
    const QString text = ids(*port.vendorId, *port.productId);
    return port.serialNumber.isEmpty() ? text
                                       : text + QStringLiteral(" serial ") + port.serialNumber;
}
