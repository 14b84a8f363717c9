#pragma once

#include <QStringList>

// The names of serial devices that survive a reboot or a re-plug: the links udev keeps in
// /dev/serial/by-id (by the device's ids) and /dev/serial/by-path (by the USB socket).
class PortLinks
{
public:
    [[nodiscard]] static QStringList systemFolders();

    explicit PortLinks(QStringList folders = systemFolders());

    // Every link in the folders that leads to the device, folder by folder, by name; nothing
    // where the folders are absent.
    [[nodiscard]] QStringList to(const QString &device) const;

private:
    QStringList m_folders;
};
