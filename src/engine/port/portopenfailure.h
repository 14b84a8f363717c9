#pragma once

#include <QSerialPort>
#include <QString>

// Why a serial port could not be opened, in words a user can act on. The serial layer reports
// a denied permission and a port held by another program with the same error code, so the
// device node settles which one it was.
enum class PortOpenFailureKind { NoSuchDevice, PermissionDenied, InUse, Other };

struct PortOpenFailure
{
    PortOpenFailureKind kind = PortOpenFailureKind::Other;
    // One line of English naming the device and, where there is one, the fix.
    QString reason;
};

// What the device node says about this user's access to it.
struct PortNodeAccess
{
    bool exists = false;
    bool readWritable = false;
    // The group that owns the node, empty when it cannot be read.
    QString group;
    // Whether members of that group may read and write it: joining the group helps only then.
    bool groupReadWritable = false;
};

// The file the serial layer opens for a port name: names without a path live in /dev.
QString portDevicePath(const QString &portName);

PortNodeAccess inspectPortNode(const QString &devicePath);

PortOpenFailure classifyPortOpenFailure(const QString &portName, QSerialPort::SerialPortError error,
                                        const PortNodeAccess &node, const QString &systemMessage);

// Classifies from the device node as it is now.
PortOpenFailure classifyPortOpenFailure(const QString &portName, QSerialPort::SerialPortError error,
                                        const QString &systemMessage);
