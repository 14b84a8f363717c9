#pragma once

#include "engine/port/portdevice.h"

// The serial ports that Qt finds on this computer, with their USB ids.
class SystemPortDevices final : public PortDevices
{
public:
    [[nodiscard]] QList<PortDevice> list() const override;
};
