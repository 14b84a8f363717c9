#pragma once

#include "core/channelplan.h"
#include "core/radiomode.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <string_view>

// Reading one line of a recording back, one function per format. Each returns what is wrong
// with the line in a few words, or an empty text when the line was read.
namespace recordlines {

struct Sweep
{
    qint64 utcMs = 0;
    qint64 sweep = 0;
    std::optional<RadioMode> mode = std::nullopt;
    std::array<qint16, channelplan::kChannelCount> dbm{};
    // JSON Lines: the receiver that recorded it, where the record names one.
    QString receiver;
};

struct LongReading
{
    qint64 utcMs = 0;
    int index = 0;
    qint16 dbm = 0;
};

// The header lines the writers put at the top of a file.
std::string_view csvHeader();
std::string_view longHeader();

QString readCsv(std::string_view line, Sweep &sweep);
QString readLong(std::string_view line, LongReading &reading);
QString readJsonl(std::string_view line, Sweep &sweep);

// "2026-12-07T07:30:00.123Z": a date and time with optional fractions of a second and an
// optional zone (Z or ±HH:MM; none is UTC), as UTC milliseconds since the epoch.
std::optional<qint64> readTime(std::string_view text);

} // namespace recordlines
