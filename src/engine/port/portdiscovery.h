#pragma once

#include <QStringList>

#include <memory>

class PortProbe;
class PortSource;

// Finds the serial ports that can be opened at this moment.
class PortDiscovery
{
public:
    PortDiscovery(std::unique_ptr<PortSource> source, std::unique_ptr<PortProbe> probe);
    PortDiscovery(PortDiscovery &&) noexcept;
    ~PortDiscovery();

    // One list entry (name " , " identifier) per port that opened when tried, in the order the
    // source reports them. A port whose name holds no port name, or one that names no port this
    // system can open, is not tried.
    QStringList openablePorts();

private:
    std::unique_ptr<PortSource> m_source;
    std::unique_ptr<PortProbe> m_probe;
};
