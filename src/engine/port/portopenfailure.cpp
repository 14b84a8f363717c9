#include "engine/port/portopenfailure.h"

#include <QFileInfo>

namespace {

QString permissionReason(const QString &device, const PortNodeAccess &node)
{
#ifdef Q_OS_LINUX
    const QString usualGroup = QStringLiteral("dialout");
    if (node.group.isEmpty() || node.groupReadWritable) {
        const QString group = node.group.isEmpty() ? usualGroup : node.group;
        return QStringLiteral("%1: permission denied: your user is not in the group '%2' that "
                              "owns the device; run 'sudo usermod -aG %2 $USER', then log out "
                              "and in again")
            .arg(device, group);
    }
    return QStringLiteral("%1: permission denied: not even its group '%2' may open the device; "
                          "have it given to the group '%3' (a udev rule), then join that group")
        .arg(device, node.group, usualGroup);
#else
    Q_UNUSED(node)
    return QStringLiteral("%1: permission denied: your user may not open this device").arg(device);
#endif
}

PortOpenFailureKind kindOf(QSerialPort::SerialPortError error, const PortNodeAccess &node)
{
#ifdef Q_OS_UNIX
    if (!node.exists) {
        return PortOpenFailureKind::NoSuchDevice;
    }
    if (error == QSerialPort::PermissionError) {
        // Busy devices and lock files held by another program come back as permission errors
        // too; only a node this user cannot read or write is a real lack of permission.
        return node.readWritable ? PortOpenFailureKind::InUse
                                 : PortOpenFailureKind::PermissionDenied;
    }
#else
    Q_UNUSED(node)
    // Windows reports a port held by another program as access denied.
    if (error == QSerialPort::PermissionError) {
        return PortOpenFailureKind::InUse;
    }
#endif
    if (error == QSerialPort::DeviceNotFoundError) {
        return PortOpenFailureKind::NoSuchDevice;
    }
    if (error == QSerialPort::OpenError) {
        return PortOpenFailureKind::InUse;
    }
    return PortOpenFailureKind::Other;
}

} // namespace

QString portDevicePath(const QString &portName)
{
#ifdef Q_OS_UNIX
    if (!portName.startsWith(QLatin1Char('/')) && !portName.startsWith(QLatin1String("./")) &&
        !portName.startsWith(QLatin1String("../"))) {
        return QStringLiteral("/dev/") + portName;
    }
#endif
    return portName;
}

PortNodeAccess inspectPortNode(const QString &devicePath)
{
    const QFileInfo info(devicePath);
    PortNodeAccess node;
    node.exists = info.exists();
    node.readWritable = node.exists && info.isReadable() && info.isWritable();
    node.group = info.group();
    node.groupReadWritable = info.permission(QFile::ReadGroup | QFile::WriteGroup);
    return node;
}

PortOpenFailure classifyPortOpenFailure(const QString &portName, QSerialPort::SerialPortError error,
                                        const PortNodeAccess &node, const QString &systemMessage)
{
    const QString device = portDevicePath(portName);
    PortOpenFailure failure;
    failure.kind = kindOf(error, node);
    switch (failure.kind) {
    case PortOpenFailureKind::NoSuchDevice:
        failure.reason =
            QStringLiteral("%1: no such device (unplugged, or a wrong port name)").arg(device);
        break;
    case PortOpenFailureKind::PermissionDenied:
        failure.reason = permissionReason(device, node);
        break;
    case PortOpenFailureKind::InUse:
        failure.reason = QStringLiteral("%1: in use by another program").arg(device);
        break;
    case PortOpenFailureKind::Other:
        failure.reason =
            systemMessage.isEmpty()
                ? QStringLiteral("%1: cannot be opened").arg(device)
                : QStringLiteral("%1: cannot be opened: %2").arg(device, systemMessage);
        break;
    }
    return failure;
}

PortOpenFailure classifyPortOpenFailure(const QString &portName, QSerialPort::SerialPortError error,
                                        const QString &systemMessage)
{
    return classifyPortOpenFailure(portName, error, inspectPortNode(portDevicePath(portName)),
                                   systemMessage);
}
