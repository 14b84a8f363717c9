#include "engine/protocol/commandlink.h"

#include "engine/protocol/commandtext.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"
#include "engine/protocol/seriallink.h"
#include "engine/protocol/serialtrace.h"
#include "engine/protocol/texts.h"

#include <utility>

CommandLink::CommandLink(MonitorState &state, MonitorView &view, SerialLink &link,
                         std::function<void()> stopMonitor)
    : m_state(state)
    , m_view(view)
    , m_link(link)
    , m_stopMonitor(std::move(stopMonitor))
{}

void CommandLink::SendCommand()
{
    if (m_link.writeLine(command::toLine(m_view.sendText()))) {
        return;
    }
    qCDebug(lcSerial) << "write failed:" << m_link.errorString();
    m_view.setMessage(texts::portFault());
    m_stopMonitor();
}

void CommandLink::send(const QString &command)
{
    m_state.rxBuf.clear();
    m_view.setSendText(command);
    SendCommand();
}
