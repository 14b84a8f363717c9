#pragma once

#include "port/portdiscovery.h"
#include "port/portprobe.h"
#include "port/portsource.h"

#include <QStringList>

#include <memory>

// The computer's ports as a test sets them up, and what discovery did with them.
struct FakePorts
{
    QList<PortCandidate> candidates;
    QStringList openable; // system names that open when tried
    QStringList probed;   // system names tried, in order
    int queries = 0;

    PortDiscovery discovery();
};

class FakeSource final : public PortSource
{
public:
    explicit FakeSource(FakePorts &ports)
        : m_ports(ports)
    {}
    QList<PortCandidate> candidates() const override
    {
        ++m_ports.queries;
        return m_ports.candidates;
    }

private:
    FakePorts &m_ports;
};

class FakeProbe final : public PortProbe
{
public:
    explicit FakeProbe(FakePorts &ports)
        : m_ports(ports)
    {}
    bool opens(const QString &name) override
    {
        m_ports.probed.append(name);
        return m_ports.openable.contains(name);
    }

private:
    FakePorts &m_ports;
};

inline PortDiscovery FakePorts::discovery()
{
    return PortDiscovery(std::make_unique<FakeSource>(*this), std::make_unique<FakeProbe>(*this));
}
