#include "engine/port/portentry.h"

#include <utility>

namespace portentry {

namespace {
const QString kGenericDescription = QStringLiteral("Serial port");
const QString kSeparator = QStringLiteral(" , ");
const QString kComOpening = QStringLiteral("(COM");
#ifndef Q_OS_WIN
const QString kDeviceOpening = QStringLiteral("(/dev/");
#endif
constexpr int kHexDigits = 4;
constexpr int kHexBase = 16;

QString hex(quint16 value)
{
    return QStringLiteral("%1").arg(value, kHexDigits, kHexBase, QLatin1Char('0')).toUpper();
}

// Where the first opening starts and how long it is, or nothing.
std::optional<std::pair<qsizetype, qsizetype>> firstOpening(const QString &text)
{
    std::optional<std::pair<qsizetype, qsizetype>> found;
    const qsizetype com = text.indexOf(kComOpening);
    if (com >= 0) {
        found = std::pair{com, kComOpening.size()};
    }
#ifndef Q_OS_WIN
    const qsizetype device = text.indexOf(kDeviceOpening);
    if (device >= 0 && (!found || device < found->first)) {
        found = std::pair{device, kDeviceOpening.size()};
    }
#endif
    return found;
}
} // namespace

QString displayName(const QString &description, const QString &portName)
{
    const QString shown = description.isEmpty() ? kGenericDescription : description;
    return shown + QStringLiteral(" (") + portName + QLatin1Char(')');
}

QString deviceIdentifier(std::optional<quint16> vendorId, std::optional<quint16> productId,
                         const QString &serialNumber, const QString &systemLocation)
{
    if (!vendorId || !productId) {
        return systemLocation;
    }
    QString identifier = hex(*vendorId) + QLatin1Char(':') + hex(*productId);
    if (!serialNumber.isEmpty()) {
        identifier += QLatin1Char(' ') + serialNumber;
    }
    return identifier;
}

QString format(const QString &name, const QString &identifier)
{
    return name + kSeparator + identifier;
}

std::optional<QString> portName(const QString &text)
{
    const auto opening = firstOpening(text);
    if (!opening) {
        return std::nullopt;
    }
    const auto [start, length] = *opening;
    const qsizetype end = text.indexOf(QLatin1Char(')'), start + length);
    // A ")" beyond the separator is the identifier's: the name itself was left open.
    const qsizetype separator = text.indexOf(kSeparator, start);
    if (end < 0 || (separator >= 0 && separator < end)) {
        return std::nullopt;
    }
    return text.mid(start + 1, end - start - 1);
}

} // namespace portentry
