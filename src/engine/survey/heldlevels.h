#pragma once

#include "engine/protocol/monitorstate.h"

#include <optional>

struct Reading;
struct SweepRecord;

// The latest and the highest level of every channel over a whole run, as the chart image
// draws them.
class HeldLevels
{
public:
    void addSweep(const SweepRecord &sweep);
    void addReading(const Reading &reading);
    // The channel a single-channel run measures, marked by the cursor.
    void setCursor(std::optional<int> index) { m_state.cursorIndex = index; }

    [[nodiscard]] const MonitorState &state() const { return m_state; }

private:
    void add(int index, qint16 dbm);

    MonitorState m_state;
};
