#pragma once

#include <QString>

#include <optional>

// What the user types in the port box, turned into the device name the serial layer opens.
// "COMn" (its first three characters are not examined, n is read from the fourth on) works
// everywhere: on Windows it is COMn, elsewhere /dev/ttyS(n-1). On Linux and macOS a text that
// begins with "/dev/" names the device file itself.
namespace portname {

inline constexpr int kMaxPortNumber = 32767;

// The port number in a "COMn" text, or nothing when the text is empty, shorter than four
// characters, not a decimal number from the fourth character on, or out of range.
std::optional<int> comPortNumber(const QString &text);

// The system name of the device to open for the given port text, or nothing when the text
// names no port.
std::optional<QString> resolve(const QString &text);

// The system name of port n on this platform.
QString systemNameForNumber(int number);

} // namespace portname
