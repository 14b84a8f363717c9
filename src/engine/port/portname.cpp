#include "engine/port/portname.h"

namespace portname {

namespace {
constexpr int kPrefixLength = 3;
const QString kDevicePrefix = QStringLiteral("/dev/");
} // namespace

std::optional<int> comPortNumber(const QString &text)
{
    if (text.size() <= kPrefixLength) {
        return std::nullopt;
    }
    const QString digits = text.mid(kPrefixLength).trimmed();
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok || number < 1 || number > kMaxPortNumber) {
        return std::nullopt;
    }
    return number;
}

QString systemNameForNumber(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

std::optional<QString> resolve(const QString &text)
{
#ifndef Q_OS_WIN
    if (text.startsWith(kDevicePrefix) && text.size() > kDevicePrefix.size()) {
        return text;
    }
#endif
    const std::optional<int> number = comPortNumber(text);
    if (!number) {
        return std::nullopt;
    }
    return systemNameForNumber(*number);
}

} // namespace portname
