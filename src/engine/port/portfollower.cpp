#include "engine/port/portfollower.h"

#include <QFileInfo>

#include <utility>

PortFollower::PortFollower(QString port, std::unique_ptr<PortDevices> devices)
    : m_port(std::move(port))
    , m_devices(std::move(devices))
{}

PortFollower::~PortFollower() = default;

PortFollower::Choice PortFollower::choose()
{
    const QFileInfo named(m_port);
    if (named.isSymLink()) {
        // The serial layer's lock file is named after the device it is given: the link's own
        // name would let a second program past it.
        const QString target = named.canonicalFilePath();
        if (target.isEmpty()) {
            // A dangling link: the failure to open it names the port as the user gave it.
            m_chosen = m_port;
            return {m_chosen, {}};
        }
        return moved(target);
    }
    if (m_first && (m_following || !named.exists())) {
        return chooseByUsbIds();
    }
    m_chosen = m_port;
    return {m_chosen, {}};
}

PortFollower::Choice PortFollower::chooseByUsbIds()
{
    const QList<PortDevice> ports = m_devices->list();
    for (const PortDevice &port : ports) {
        if (!sameUsbDevice(port, *m_first)) {
            continue;
        }
        if (m_following) {
            return moved(port.location);
        }
        // Still under its name: a COM port is no file whose absence would show it gone.
        if (port.location == m_port) {
            break;
        }
        m_following = true;
        m_chosen = m_shown = port.location;
        return {m_chosen, QStringLiteral("%1 is gone; following its device (%2) to %3")
                              .arg(m_port, usbText(port), port.location)};
    }
    // Absent for now: tried where it was last, which fails until it is back.
    m_chosen = m_following ? m_shown : m_port;
    return {m_chosen, {}};
}

PortFollower::Choice PortFollower::moved(const QString &device)
{
    m_chosen = device;
    const bool changed = !m_shown.isEmpty() && m_shown != device;
    m_shown = device;
    return {m_chosen, changed ? QStringLiteral("%1: now %2").arg(m_port, device) : QString()};
}

void PortFollower::opened()
{
    if (m_openedOnce) {
        return;
    }
    m_openedOnce = true;
    if (QFileInfo(m_port).isSymLink()) {
        return;
    }
    const QString device = QFileInfo(m_chosen).canonicalFilePath();
    const QList<PortDevice> ports = m_devices->list();
    for (const PortDevice &port : ports) {
        if (QFileInfo(port.location).canonicalFilePath() == device) {
            m_first = port;
            return;
        }
    }
}
