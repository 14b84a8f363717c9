#pragma once

#include <QColor>
#include <QtGlobal>

#include <array>

class QPalette;

namespace palette {

// The colour values every swatch cycles through: 00BBGGRR, or 800000nn for a colour of the
// desktop scheme (0F button face, 05 window background).
inline constexpr std::array<quint32, 16> kColorTable = {
    0x8000000FU, 0x80000005U, 0x00C0C0C0U, 0x00808080U, 0x00000000U, 0x000000FFU,
    0x00FF00FFU, 0x00C0FFFFU, 0x0080FFFFU, 0x0000FFFFU, 0x00C0FFC0U, 0x0080FF80U,
    0x0000FF00U, 0x00FFFF80U, 0x00FFFF00U, 0x00FF0000U,
};

// Palette index each swatch starts on, for swatches 1..5.
inline constexpr std::array<int, 5> kInitialColorNo = {1, 3, 12, 5, 15};
// The sweep marker starts grey whatever the swatches show.
inline constexpr int kMarkerInitialColorNo = 3;

inline constexpr quint32 kSystemColourFlag = 0x80000000U;
inline constexpr quint32 kSystemButtonFace = 0x0FU;
inline constexpr quint32 kSystemWindowBackground = 0x05U;

// Turns a stored colour value into a colour, resolving system colours from the given palette.
QColor resolve(quint32 value, const QPalette &desktop);

} // namespace palette
