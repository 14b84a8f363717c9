#pragma once

class AlarmWatch;
class HistoryWindow;

namespace alarmmarking {

// Marks the channels raised now on the occupancy bars and the raises on the waterfall's time
// axis.
void show(const AlarmWatch &alarms, HistoryWindow &window);

} // namespace alarmmarking
