#include "programs/monitor/alarmmarking.h"

#include "engine/alarm/alarmwatch.h"
#include "windows/history/historywindow.h"
#include "windows/history/occupancyview.h"
#include "windows/history/waterfallview.h"

#include <QSet>

namespace alarmmarking {

void show(const AlarmWatch &alarms, HistoryWindow &window)
{
    QList<int> raised;
    for (const AlarmEngine::Active &alarm : alarms.active()) {
        raised.append(alarm.index);
    }
    QSet<qint64> times;
    for (const AlarmEvent &event : alarms.events()) {
        if (event.kind == AlarmEvent::Kind::Raised) {
            times.insert(event.utcMs);
        }
    }
    window.findChild<OccupancyView *>()->setRaised(raised);
    window.findChild<WaterfallView *>()->setAlarmTimes(times);
}

} // namespace alarmmarking
