#pragma once

#include <functional>

class CommandLink;
class MonitorView;
class QTimer;
struct MonitorState;

// Finds out, one StartTimer tick at a time, whether a supported module answers and in which
// mode it works, then sends the first measuring command. The module has one tick to answer
// each question; nothing is retried.
class ConnectSequence
{
public:
    explicit ConnectSequence(MonitorState &state, MonitorView &view, CommandLink &commands,
                             QTimer &startTimer, std::function<void()> stopMonitor);

    void StartTimer_Timer();

private:
    enum Step { AskModel = 1, CheckModel = 2, ReadMode = 3, BeginSweep = 4 };

    void checkModel();
    void readMode();
    void beginSweep();

    MonitorState &m_state;
    MonitorView &m_view;
    CommandLink &m_commands;
    QTimer &m_startTimer;
    std::function<void()> m_stopMonitor;
};
