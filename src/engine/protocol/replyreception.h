#pragma once

#include <QtGlobal>

#include <chrono>

class CommandLink;
class MonitorView;
class SerialLink;
class SweepStep;
struct MonitorState;

// The receive side: collects what the module sends into RxBuf, shows it, and acts on the
// measuring replies of the modes whose boxes are checked.
class ReplyReception
{
public:
    // A device flooding the line must not grow the buffer or the display without end; a
    // well-formed exchange never comes near this.
    static constexpr qsizetype kRxBufLimit = 4096;
    // The module needs this long after its channel-set reply before it can be asked for RSSI.
    static constexpr std::chrono::milliseconds kRssiReadPause{20};

    explicit ReplyReception(MonitorState &state, MonitorView &view, SerialLink &link,
                            CommandLink &commands, SweepStep &sweep);

    void MSComm1_OnComm();

private:
    void handleFskLoRa();
    void handleAirMonitor();

    MonitorState &m_state;
    MonitorView &m_view;
    SerialLink &m_link;
    CommandLink &m_commands;
    SweepStep &m_sweep;
};
