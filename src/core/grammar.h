#pragma once

#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

// The values both programs read from their users: lengths of time, sizes and whole numbers.
namespace grammar {

enum class Zero { Refused, Allowed };

// "500ms", "90s", "1.5m", "2h", "1d", a bare number being seconds; to the nearest millisecond.
// Nothing unless a length of at least 0 (above 0 when zero is refused) and at most longest.
std::optional<std::chrono::milliseconds> readDuration(const QString &text, Zero zero,
                                                      std::chrono::milliseconds longest);

// "512K", "100M", "2G" (powers of 1024, either case) or a bare number of bytes; nothing unless
// one.
std::optional<qint64> readSize(const QString &text);

// A whole number from lowest to highest; nothing unless one.
std::optional<qint64> readInteger(const QString &text, qint64 lowest, qint64 highest);

} // namespace grammar
