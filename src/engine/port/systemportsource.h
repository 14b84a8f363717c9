#pragma once

#include "engine/port/portsource.h"

// The serial ports that Qt finds on this computer.
class SystemPortSource final : public PortSource
{
public:
    QList<PortCandidate> candidates() const override;
};
