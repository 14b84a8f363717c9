#pragma once

#include "engine/port/portdevice.h"

#include <QString>

#include <memory>
#include <optional>

// Picks the device to open for the port the user named, at the first open and every reopen.
// A link (/dev/serial/by-id/…) is read again each time, so it leads to wherever its device is
// now. A plain name whose device had USB ids and a serial number when it first opened follows
// that device to its new name once the name is gone, and by its ids from then on.
class PortFollower
{
public:
    struct Choice
    {
        QString device;
        // Where the port went, once per change, for the user; empty when nothing changed.
        QString note;
    };

    PortFollower(QString port, std::unique_ptr<PortDevices> devices);
    ~PortFollower();

    [[nodiscard]] Choice choose();
    // The device chosen last has opened: the first time, remember what identifies it.
    void opened();

private:
    [[nodiscard]] Choice chooseByUsbIds();
    [[nodiscard]] Choice moved(const QString &device);

    QString m_port;
    std::unique_ptr<PortDevices> m_devices;
    QString m_chosen;
    // Where the port was last known to lead.
    QString m_shown;
    // The device the port led to when it first opened.
    std::optional<PortDevice> m_first;
    bool m_openedOnce = false;
    bool m_following = false;
};
