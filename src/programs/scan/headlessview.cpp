#include "programs/scan/headlessview.h"

#include <utility>

HeadlessView::HeadlessView(QString port, QString sampleCount, bool cursorOnly)
    : m_port(std::move(port))
    , m_sampleCount(std::move(sampleCount))
    , m_cursorOnly(cursorOnly)
{}

std::optional<RadioMode> HeadlessView::checkedMode() const
{
    for (const RadioMode mode : {RadioMode::AirMonitor, RadioMode::LoRa, RadioMode::Fsk}) {
        if (isModeChecked(mode)) {
            return mode;
        }
    }
    return std::nullopt;
}

bool HeadlessView::isModeChecked(RadioMode mode) const
{
    return m_modes.at(static_cast<std::size_t>(mode));
}

void HeadlessView::setModeChecked(RadioMode mode, bool checked)
{
    m_modes.at(static_cast<std::size_t>(mode)) = checked;
}

void HeadlessView::setButtonCaption(const QString &text)
{
    if (m_captionListener) {
        m_captionListener(text);
    }
}
