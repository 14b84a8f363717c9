#include "engine/port/systemportsource.h"

#include "engine/port/portentry.h"
#include "engine/port/systemportdevices.h"

QList<PortCandidate> SystemPortSource::candidates() const
{
    const QList<PortDevice> ports = SystemPortDevices().list();
    QList<PortCandidate> found;
    found.reserve(ports.size());
    for (const PortDevice &port : ports) {
        found.append({portentry::displayName(port.description, port.location),
                      portentry::deviceIdentifier(port.vendorId, port.productId, port.serialNumber,
                                                  port.systemLocation)});
    }
    return found;
}
