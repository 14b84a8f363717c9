#pragma once

#include "core/radiomode.h"

#include <QString>

// The controls the protocol reads and writes, as the main window offers them. The mode
// boxes stay the record of the radio mode: a user who ticks one by hand changes what is
// parsed, so the protocol asks for them every time instead of keeping its own copy.

class MonitorView
{
public:
    virtual ~MonitorView() = default;

    [[nodiscard]] virtual bool isModeChecked(RadioMode mode) const = 0;
    virtual void setModeChecked(RadioMode mode, bool checked) = 0;

    // Send: the last command line, without its terminator.
    [[nodiscard]] virtual QString sendText() const = 0;
    virtual void setSendText(const QString &text) = 0;

    // AveN: the Air Monitor sample count, sent as the user typed it.
    [[nodiscard]] virtual QString sampleCountText() const = 0;
    // Com_Port: the port name the user chose.
    [[nodiscard]] virtual QString portText() const = 0;
    // Check2: measure the cursor channel only.
    [[nodiscard]] virtual bool isCursorOnlyChecked() const = 0;

    virtual void setMessage(const QString &text) = 0;
    // Why the port could not be opened, beside the unchanged message; empty clears it.
    virtual void setMessageToolTip(const QString &text) = 0;
    virtual void setButtonCaption(const QString &text) = 0;
    // ComSelectSW and Com_Port, which can't change during a run.
    virtual void setPortControlsEnabled(bool enabled) = 0;
    // AveN, enabled last when a run stops.
    virtual void setSampleCountEnabled(bool enabled) = 0;
    // RxDataDisp.
    virtual void showReceived(const QString &text) = 0;
    // Com_PortList back out of sight.
    virtual void hidePortList() = 0;
    // Picture2 under the column of channel index chIdx, from the current chart scale.
    virtual void moveSweepMarker(int chIdx) = 0;
};
