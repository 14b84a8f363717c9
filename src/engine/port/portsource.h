#pragma once

#include <QList>
#include <QString>

// One serial port device as the system reports it.
struct PortCandidate
{
    QString name;       // display name, with the port name in parentheses
    QString identifier; // device identifier
};

// Where port discovery learns which serial ports the computer has.
class PortSource
{
public:
    virtual ~PortSource() = default;
    // The ports in the order the system reports them.
    virtual QList<PortCandidate> candidates() const = 0;
};
