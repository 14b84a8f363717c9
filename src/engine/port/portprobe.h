#pragma once

#include <QString>

// Tries a port: opens it and closes it again.
class PortProbe
{
public:
    virtual ~PortProbe() = default;
    // True when the port opened, that is no other application holds it and it exists.
    [[nodiscard]] virtual bool opens(const QString &systemName) = 0;
};
