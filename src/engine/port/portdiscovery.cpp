#include "engine/port/portdiscovery.h"

#include "engine/port/portentry.h"
#include "engine/port/portname.h"
#include "engine/port/portprobe.h"
#include "engine/port/portsource.h"

#include <utility>

PortDiscovery::PortDiscovery(std::unique_ptr<PortSource> source, std::unique_ptr<PortProbe> probe)
    : m_source(std::move(source))
    , m_probe(std::move(probe))
{}

PortDiscovery::PortDiscovery(PortDiscovery &&) noexcept = default;
PortDiscovery::~PortDiscovery() = default;

QStringList PortDiscovery::openablePorts()
{
    QStringList entries;
    if (!m_source || !m_probe) {
        return entries;
    }
    const QList<PortCandidate> candidates = m_source->candidates();
    for (const PortCandidate &candidate : candidates) {
        const std::optional<QString> name = portentry::portName(candidate.name);
        if (!name) {
            continue;
        }
        const std::optional<QString> systemName = portname::resolve(*name);
        if (!systemName || !m_probe->opens(*systemName)) {
            continue;
        }
        entries.append(portentry::format(candidate.name, candidate.identifier));
    }
    return entries;
}
