#pragma once

#include "engine/protocol/monitorview.h"

#include <array>
#include <functional>
#include <optional>

// The controls the protocol reads and writes, held as plain values for a program without a
// window. The caption tells the owner where a run stands: "started" once the sweep begins,
// "stopped" whenever the session closes the port.
class HeadlessView final : public MonitorView
{
public:
    using CaptionListener = std::function<void(const QString &caption)>;

    HeadlessView(QString port, QString sampleCount, bool cursorOnly);

    void setCaptionListener(CaptionListener listener) { m_captionListener = std::move(listener); }
    [[nodiscard]] QString message() const { return m_message; }
    // The latest text received from the module, for telling the user what it said.
    [[nodiscard]] QString received() const { return m_received; }
    // The mode of the run, when the module reported one the sweep knows.
    [[nodiscard]] std::optional<RadioMode> checkedMode() const;

    [[nodiscard]] bool isModeChecked(RadioMode mode) const override;
    void setModeChecked(RadioMode mode, bool checked) override;
    [[nodiscard]] QString sendText() const override { return m_send; }
    void setSendText(const QString &text) override { m_send = text; }
    [[nodiscard]] QString sampleCountText() const override { return m_sampleCount; }
    [[nodiscard]] QString portText() const override { return m_port; }
    [[nodiscard]] bool isCursorOnlyChecked() const override { return m_cursorOnly; }
    void setMessage(const QString &text) override { m_message = text; }
    void setMessageToolTip(const QString &) override {}
    void setButtonCaption(const QString &text) override;
    void setPortControlsEnabled(bool) override {}
    void setSampleCountEnabled(bool) override {}
    void showReceived(const QString &text) override { m_received = text; }
    void hidePortList() override {}
    void moveSweepMarker(int) override {}

private:
    QString m_port;
    QString m_sampleCount;
    bool m_cursorOnly = false;
    std::array<bool, 3> m_modes{};
    QString m_send;
    QString m_message;
    QString m_received;
    CaptionListener m_captionListener;
};
