#pragma once

#include "engine/protocol/monitorstate.h"
#include "engine/protocol/monitorview.h"

#include <QList>

#include <array>
#include <chrono>

// The window's controls as plain fields; each command is logged with its time and with what
// RxBuf held when it went out.
class FakeMonitorView final : public MonitorView
{
public:
    using Clock = std::chrono::steady_clock;
    struct Sent
    {
        Clock::time_point at;
        QString rxBuf;
    };

    explicit FakeMonitorView(const MonitorState &state)
        : m_state(state)
    {}

    bool isModeChecked(RadioMode mode) const override { return modes.at(int(mode)); }
    void setModeChecked(RadioMode mode, bool on) override { modes.at(int(mode)) = on; }
    QString sendText() const override { return send; }
    void setSendText(const QString &text) override
    {
        send = text;
        sent.append({Clock::now(), m_state.rxBuf});
    }
    QString sampleCountText() const override { return aveN; }
    QString portText() const override { return port; }
    bool isCursorOnlyChecked() const override { return cursorOnly; }
    void setMessage(const QString &text) override { message = text; }
    void setMessageToolTip(const QString &text) override { messageToolTip = text; }
    void setButtonCaption(const QString &text) override { caption = text; }
    void setPortControlsEnabled(bool enabled) override { portControlsEnabled = enabled; }
    void setSampleCountEnabled(bool enabled) override { sampleCountEnabled = enabled; }
    void showReceived(const QString &text) override { received = {Clock::now(), text}; }
    void hidePortList() override { portListHidden = true; }
    void moveSweepMarker(int chIdx) override { marker = chIdx; }

    std::array<bool, 3> modes{};
    QString send;
    QList<Sent> sent;
    Sent received;
    QString aveN = QStringLiteral("08");
    QString port = QStringLiteral("COM3");
    QString message;
    QString messageToolTip;
    QString caption;
    bool cursorOnly = false;
    bool portControlsEnabled = true;
    bool sampleCountEnabled = true;
    bool portListHidden = false;
    int marker = -1;

private:
    const MonitorState &m_state;
};
