#pragma once

#include <QtGlobal>

#include <functional>

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
    // Told of every stored reading: the channel index, the value and the mode it came from.
    using ReadingStored = std::function<void(int index, qint16 value, SweepMode mode)>;

    explicit SweepStep(MonitorState &state, MonitorView &view, CommandLink &commands,
                       ReadingStored readingStored = {});

    void run(qint16 value, SweepMode mode);

private:
    MonitorState &m_state;
    MonitorView &m_view;
    CommandLink &m_commands;
    ReadingStored m_readingStored;
};
