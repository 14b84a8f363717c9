#include "core/grammar.h"

#include <QRegularExpression>

#include <cmath>

namespace grammar {

std::optional<std::chrono::milliseconds> readDuration(const QString &text, Zero zero,
                                                      std::chrono::milliseconds longest)
{
    struct Unit
    {
        const char *suffix;
        double ms;
    };
    constexpr double kMsPerSecond = 1000.0;
    constexpr double kMsPerHour = 3600 * kMsPerSecond;
    // "ms" before "m" and "s", which it ends with.
    constexpr Unit kUnits[] = {{"ms", 1.0},
                               {"s", kMsPerSecond},
                               {"m", 60 * kMsPerSecond},
                               {"h", kMsPerHour},
                               {"d", 24 * kMsPerHour}};
    QString number = text;
    double scale = kMsPerSecond;
    for (const Unit &unit : kUnits) {
        if (text.endsWith(QLatin1String(unit.suffix))) {
            number.chop(static_cast<qsizetype>(qstrlen(unit.suffix)));
            scale = unit.ms;
            break;
        }
    }
    bool ok = false;
    const double ms = number.toDouble(&ok) * scale;
    if (!ok || !std::isfinite(ms) || ms < 0 || ms > static_cast<double>(longest.count())) {
        return std::nullopt;
    }
    const std::chrono::milliseconds length(std::llround(ms));
    if (zero == Zero::Refused && length.count() == 0) {
        return std::nullopt;
    }
    return length;
}

std::optional<qint64> readSize(const QString &text)
{
    static const QRegularExpression kSize(QStringLiteral("^([0-9]{1,12})([KMG]?)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kSize.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QString unit = match.captured(2).toUpper();
    constexpr int kKiloShift = 10;
    const int shift = unit == QLatin1String("G")   ? 3 * kKiloShift
                      : unit == QLatin1String("M") ? 2 * kKiloShift
                      : unit == QLatin1String("K") ? kKiloShift
                                                   : 0;
    // Twelve digits shifted by thirty bits stay far inside 63.
    return match.captured(1).toLongLong() << shift;
}

std::optional<qint64> readInteger(const QString &text, qint64 lowest, qint64 highest)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

} // namespace grammar
