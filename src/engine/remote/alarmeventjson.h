#pragma once

#include "engine/alarm/alarmevent.h"

#include <QByteArray>

#include <optional>

namespace alarms {

// An event as kvt318-scan publishes it (the JSON of eventJson()), or nothing when the payload
// is not one.
std::optional<AlarmEvent> readEventJson(const QByteArray &payload);

} // namespace alarms
