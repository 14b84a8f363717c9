// libFuzzer target: the reply scanning and the lenient number reading, on any bytes the
// module might send. Beyond crashes and undefined behaviour it checks the readings' ranges
// and compares the decimal reader with a plain reference where doubles are exact enough.

#include "protocol/lenientnumber.h"
#include "protocol/replyparser.h"

#include <QString>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace {

// Decimal digits a double holds without changing which side of a half a value lies on.
constexpr std::size_t kExactDigits = 15;
constexpr std::size_t kExponentDigits = 4;
constexpr int kByteOffset = 256;
constexpr int kByteMax = 255;

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number the reader should see: blanks, tabs and line feeds dropped wherever they
// stand, then the longest prefix of the form sign, digits, point, digits, exponent. Nothing
// when the reference cannot judge it exactly.
std::optional<qint16> referenceDecimal(const std::string &raw)
{
    std::string text;
    for (const char c : raw) {
        if (c != ' ' && c != '\t' && c != '\n') {
            text.push_back(c);
        }
    }
    std::size_t pos = 0;
    std::string number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        number.push_back(text[pos++]);
    }
    std::size_t significant = 0;
    bool anyDigit = false;
    bool point = false;
    for (; pos < text.size() && (isDigit(text[pos]) || (text[pos] == '.' && !point)); ++pos) {
        if (text[pos] == '.') {
            point = true;
        } else {
            anyDigit = true;
            if (significant > 0 || text[pos] != '0') {
                ++significant;
            }
        }
        number.push_back(text[pos]);
    }
    if (!anyDigit) {
        return qint16{0};
    }
    if (significant > kExactDigits) {
        return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::string exponent = "e";
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            exponent.push_back(text[pos++]);
        }
        std::size_t digits = 0;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            if (digits > 0 || text[pos] != '0') {
                ++digits;
            }
            exponent.push_back(text[pos]);
        }
        if (digits > kExponentDigits) {
            return std::nullopt;
        }
        number += exponent;
    }
    // Rounds to nearest, halves to even: the default rounding mode.
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));
    if (value < std::numeric_limits<qint16>::min()) {
        return std::numeric_limits<qint16>::min();
    }
    if (value > std::numeric_limits<qint16>::max()) {
        return std::numeric_limits<qint16>::max();
    }
    return static_cast<qint16>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const std::string raw(bytes, size);
    const QString buffer = QString::fromLatin1(bytes, static_cast<qsizetype>(size));

    static_cast<void>(reply::checkModel(buffer));
    static_cast<void>(reply::reportsMode(buffer, RadioMode::Fsk));
    static_cast<void>(reply::reportsMode(buffer, RadioMode::LoRa));
    static_cast<void>(reply::reportsMode(buffer, RadioMode::AirMonitor));

    const std::size_t channelTag = raw.find("*CH=");
    require(
        reply::hasChannelSet(buffer) ==
        (channelTag != std::string::npos && raw.find("\r\n", channelTag + 4) != std::string::npos));

    const std::size_t rssiTag = raw.find("*RA=");
    const std::size_t unit =
        rssiTag == std::string::npos ? std::string::npos : raw.find("dBm\r\n", rssiTag + 4);
    const std::optional<qint16> rssi = reply::rssiReading(buffer);
    require(rssi.has_value() == (unit != std::string::npos));
    if (rssi) {
        const std::optional<qint16> expected =
            referenceDecimal(raw.substr(rssiTag + 4, unit - rssiTag - 4));
        require(!expected || *expected == *rssi);
    }

    const std::size_t airTag = raw.find("*RS=");
    const std::optional<qint16> air = reply::airMonitorReading(buffer);
    require(air.has_value() == (airTag != std::string::npos && size >= airTag + 6));
    if (air) {
        require(*air >= -kByteOffset && *air <= kByteMax - kByteOffset);
    }

    const std::optional<qint16> whole = referenceDecimal(raw);
    const qint16 decimal = lenient::readDecimal(buffer);
    require(!whole || *whole == decimal);

    const int pair = lenient::readHex(QStringView(buffer).left(2));
    require(pair >= 0 && pair <= kByteMax);
    if (size >= 2 && std::isxdigit(data[0]) != 0 && std::isxdigit(data[1]) != 0) {
        require(pair == std::stoi(raw.substr(0, 2), nullptr, 16));
    }
    require(lenient::readHex(buffer) >= 0);
    return 0;
}
