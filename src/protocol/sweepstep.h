#pragma once

#include <QtGlobal>

class CommandLink;
class MonitorView;
struct MonitorState;

// The kind of exchange a reading came from; it decides the command for the next channel.
enum class SweepMode { FskLoRa, AirMonitor };

// Stores one reading for the channel being measured, keeps its maximum, moves the marker and
// asks the module for the next channel, unless a stop has been requested.
class SweepStep
{
public:
    explicit SweepStep(MonitorState &state, MonitorView &view, CommandLink &commands);

    void run(qint16 value, SweepMode mode);

private:
    MonitorState &m_state;
    MonitorView &m_view;
    CommandLink &m_commands;
};
