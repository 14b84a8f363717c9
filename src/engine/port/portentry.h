#pragma once

#include <QString>

#include <optional>

// The text of one entry of the port list, and the port name read back out of it. An entry is
// the port's display name, " , " and its device identifier; the display name carries the port
// name in parentheses, so the first such parenthesis of an entry is always the name's.
namespace portentry {

// The description (or a generic one when the port has none) and the port name in parentheses:
// "USB Serial Port (COM3)", "FT232R USB UART (/dev/ttyUSB0)".
QString displayName(const QString &description, const QString &portName);

// "VID:PID serial" in hexadecimal for a port that has the USB ids, else its system location.
QString deviceIdentifier(std::optional<quint16> vendorId, std::optional<quint16> productId,
                         const QString &serialNumber, const QString &systemLocation);

QString format(const QString &name, const QString &identifier);

// The text inside the first "(COM" … ")" of the text; on Linux and macOS the first "(/dev/" …
// ")" counts as well. Nothing when there is no such opening or its ")" is missing from the
// display name.
std::optional<QString> portName(const QString &text);

} // namespace portentry
