#pragma once

#include "core/channelplan.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The one record every handler of the main window shares. It is plain data on purpose:
// the window owns it, and the protocol, chart and layout code read and write it directly.
struct MonitorState
{
    static constexpr int kChannelCount = channelplan::kChannelCount;
    static constexpr int kPaletteCapacity = 24;
    static constexpr int kSwatchCount = 5;
    static constexpr qint16 kNoReading = -140;

    // Palette index chosen by each swatch, indexed 1..5 (index 0 is never used).
    std::array<int, kSwatchCount + 1> colorNo{};
    // Raw colour values: 00BBGGRR, or 800000nn for system colour nn. 0..15 are filled at load.
    std::array<quint32, kPaletteCapacity> colorTable{};
    int colorTableMax = 0;

    std::optional<int> cursorCh;
    int stopReq = 0;
    int startStep = 0;
    QString rxBuf;

    std::array<qint16, kChannelCount> rssi{};
    std::array<qint16, kChannelCount> rssiMax{};

    qint16 chStart = 0;
    qint16 chMax = 0;
    qint16 chLabelStep = 0;
    int chIdx = 0;
    QString chHex;

    float chWidth = 0.0F;
    float dbHeight = 0.0F;
};
