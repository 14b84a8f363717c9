#pragma once

#include <QString>

class PortDevices;

// The name a receiver goes by when --name does not give one.
namespace receivernaming {

// The USB serial number of the adapter the port leads to (through a /dev/serial/by-id link
// too), which stays with the adapter whatever number the system gives it; else the port's base
// name ("ttyUSB0"). Both reduced to the characters a name may hold.
QString forPort(const QString &port, const PortDevices &devices);

// The receiver named in the recording's records; else the file's base name.
QString forRecording(const QString &recorded, const QString &path);

} // namespace receivernaming
