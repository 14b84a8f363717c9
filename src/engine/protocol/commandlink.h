#pragma once

#include <functional>

class QString;
class MonitorView;
class SerialLink;
struct MonitorState;

// The one place that writes to the module. A failed write is handled here and not passed on:
// the status line shows the port fault and the run is stopped.
class CommandLink
{
public:
    explicit CommandLink(MonitorState &state, MonitorView &view, SerialLink &link,
                         std::function<void()> stopMonitor);

    // Writes the text of Send and CR LF in one write.
    void SendCommand();

    // Every sender's order: empty RxBuf so that it collects only the answer, show the command
    // in Send, then write it.
    void send(const QString &command);

private:
    MonitorState &m_state;
    MonitorView &m_view;
    SerialLink &m_link;
    std::function<void()> m_stopMonitor;
};
