#include "engine/record/recordlines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <charconv>
#include <cmath>
#include <string>

namespace recordlines {

namespace {

constexpr int kLowestDbm = -140;
constexpr int kHighestDbm = 10;
constexpr int kCsvFields = 2 + channelplan::kChannelCount;
constexpr int kLongFields = 4;
constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kSecondsPerDay = 86400;
// Longer than any field a writer puts out; keeps a message about a bad field short.
constexpr std::size_t kQuotedLength = 24;

QString quoted(std::string_view text)
{
    const bool cut = text.size() > kQuotedLength;
    return QLatin1Char('\'') +
           QString::fromUtf8(text.data(),
                             static_cast<qsizetype>(std::min(text.size(), kQuotedLength))) +
           (cut ? QStringLiteral("…'") : QStringLiteral("'"));
}

template <typename T> std::optional<T> number(std::string_view text)
{
    T value{};
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
qint64 daysFromCivil(qint64 year, qint64 month, qint64 day)
{
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(qint64 year, qint64 month)
{
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

QString readLevel(std::string_view text, qint16 &dbm)
{
    const auto value = number<int>(text);
    if (!value) {
        return quoted(text) + QStringLiteral(" is not a whole number of dBm");
    }
    if (*value < kLowestDbm || *value > kHighestDbm) {
        return QStringLiteral("level %1 dBm is outside -140…+10").arg(*value);
    }
    dbm = static_cast<qint16>(*value);
    return {};
}

QString readTimeField(std::string_view text, qint64 &utcMs)
{
    const auto time = readTime(text);
    if (!time) {
        return QStringLiteral("time %1 is not ISO 8601").arg(quoted(text));
    }
    utcMs = *time;
    return {};
}

// Splits at commas into at most N fields; the count is the number found, even beyond N.
template <std::size_t N> int split(std::string_view line, std::array<std::string_view, N> &fields)
{
    int count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        const std::string_view field = line.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (static_cast<std::size_t>(count) < N) {
            fields[static_cast<std::size_t>(count)] = field;
        }
        ++count;
        if (comma == std::string_view::npos) {
            return count;
        }
        start = comma + 1;
    }
}

std::optional<RadioMode> modeNamed(const QString &name)
{
    if (name == QLatin1String("FSK")) {
        return RadioMode::Fsk;
    }
    if (name == QLatin1String("LoRa")) {
        return RadioMode::LoRa;
    }
    if (name == QLatin1String("AirMonitor")) {
        return RadioMode::AirMonitor;
    }
    return std::nullopt;
}

} // namespace

std::string_view csvHeader()
{
    static const std::string header = [] {
        std::string text = "time,sweep";
        for (int i = 0; i < channelplan::kChannelCount; ++i) {
            text += ",ch" + std::to_string(channelplan::channelNumber(i));
        }
        return text;
    }();
    return header;
}

std::string_view longHeader()
{
    return "time,channel,mhz,dbm";
}

QString readCsv(std::string_view line, Sweep &sweep)
{
    std::array<std::string_view, kCsvFields> fields;
    const int count = split(line, fields);
    if (count != kCsvFields) {
        return QStringLiteral("%1 fields instead of %2").arg(count).arg(kCsvFields);
    }
    if (QString error = readTimeField(fields[0], sweep.utcMs); !error.isEmpty()) {
        return error;
    }
    const auto number = recordlines::number<qint64>(fields[1]);
    if (!number || *number < 1) {
        return QStringLiteral("sweep number %1 is not a whole number above 0")
            .arg(quoted(fields[1]));
    }
    sweep.sweep = *number;
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        if (QString error = readLevel(fields[i + 2], sweep.dbm[i]); !error.isEmpty()) {
            return QStringLiteral("channel %1: ").arg(channelplan::channelNumber(int(i))) + error;
        }
    }
    return {};
}

QString readLong(std::string_view line, LongReading &reading)
{
    std::array<std::string_view, kLongFields> fields;
    const int count = split(line, fields);
    if (count != kLongFields) {
        return QStringLiteral("%1 fields instead of %2").arg(count).arg(kLongFields);
    }
    if (QString error = readTimeField(fields[0], reading.utcMs); !error.isEmpty()) {
        return error;
    }
    const auto channel = number<int>(fields[1]);
    if (!channel || *channel < channelplan::kFirstChannel || *channel > channelplan::kLastChannel) {
        return QStringLiteral("channel %1 is not one of 7 to 46").arg(quoted(fields[1]));
    }
    reading.index = channelplan::channelIndex(*channel);
    if (!number<double>(fields[2])) {
        return QStringLiteral("frequency %1 is not a number").arg(quoted(fields[2]));
    }
    return readLevel(fields[3], reading.dbm);
}

QString readJsonl(std::string_view line, Sweep &sweep)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size())), &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("not JSON: ") + error.errorString();
    }
    const QJsonObject object = document.object();
    const QJsonValue time = object.value(QLatin1String("time"));
    const QJsonArray levels = object.value(QLatin1String("dbm")).toArray();
    const double number = object.value(QLatin1String("sweep")).toDouble(-1);
    const QJsonValue modeValue = object.value(QLatin1String("mode"));
    const auto mode = modeNamed(modeValue.toString());
    if (!document.isObject() || !time.isString() || (!mode && !modeValue.isNull()) ||
        levels.size() != channelplan::kChannelCount) {
        return QStringLiteral("not a sweep: time, sweep, mode or 40 levels missing");
    }
    const QByteArray timeText = time.toString().toLatin1();
    if (QString problem = readTimeField(
            std::string_view(timeText.constData(), std::size_t(timeText.size())), sweep.utcMs);
        !problem.isEmpty()) {
        return problem;
    }
    // Beyond 2^53 a double no longer holds every whole number.
    constexpr double kLargestSweep = 9007199254740992.0;
    if (number < 1 || number > kLargestSweep || number != std::floor(number)) {
        return QStringLiteral("sweep number is not a whole number above 0");
    }
    sweep.sweep = static_cast<qint64>(number);
    sweep.mode = mode;
    sweep.receiver = object.value(QLatin1String("receiver")).toString();
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        const QJsonValue level = levels.at(static_cast<qsizetype>(i));
        const double dbm = level.toDouble(kLowestDbm - 1);
        if (!level.isDouble() || dbm < kLowestDbm || dbm > kHighestDbm || dbm != std::floor(dbm)) {
            return QStringLiteral("channel %1: level is not a whole number within -140…+10")
                .arg(channelplan::channelNumber(int(i)));
        }
        sweep.dbm[i] = static_cast<qint16>(dbm);
    }
    return {};
}

std::optional<qint64> readTime(std::string_view text)
{
    // YYYY-MM-DDTHH:MM:SS
    constexpr std::size_t kSecondsEnd = 19;
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || text[4] != '-' ||
        text[7] != '-' || (text[10] != 'T' && text[10] != ' ') || text[13] != ':' ||
        text[16] != ':' || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    std::size_t at = kSecondsEnd;
    qint64 ms = 0;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        ++at;
        const std::size_t first = at;
        qint64 scale = 100;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            ms += (text[at] - '0') * scale;
            scale /= 10;
            ++at;
        }
        if (at == first) {
            return std::nullopt;
        }
    }
    qint64 offsetMinutes = 0;
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const auto zoneHours = digits(text, at + 1, 2);
        const auto zoneMinutes = digits(text, at + 4, 2);
        if (!zoneHours || !zoneMinutes || text[at + 3] != ':' || *zoneHours > 23 ||
            *zoneMinutes > 59) {
            return std::nullopt;
        }
        offsetMinutes = (*zoneHours * 60 + *zoneMinutes) * (text[at] == '-' ? -1 : 1);
        at += 6;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const qint64 seconds = daysFromCivil(*year, *month, *day) * kSecondsPerDay + *hour * 3600 +
                           *minute * 60 + *second - offsetMinutes * 60;
    return seconds * kMsPerSecond + ms;
}

} // namespace recordlines
