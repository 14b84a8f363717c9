#include "engine/protocol/lenientnumber.h"

#include <limits>
#include <string>

namespace lenient {

namespace {

// Any exponent beyond this already saturates every reading; capping it keeps the sum finite.
constexpr long long kExponentCap = 1'000'000;
// A whole part of more digits than this is beyond the 16-bit range whatever the digits.
constexpr long long kMaxWholeDigits = 5;
constexpr int kRadix = 10;
constexpr int kHexRadix = 16;
// Further digits would overflow; no reply hands over more than two anyway.
constexpr int kHexLimit = std::numeric_limits<int>::max() / kHexRadix / kHexRadix;

bool isSkipped(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + kRadix;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + kRadix;
    }
    return -1;
}

// Walks the text and steps over the characters the reader ignores.
class Cursor
{
public:
    explicit Cursor(QStringView text)
        : m_text(text)
    {}

    [[nodiscard]] QChar peek()
    {
        while (m_pos < m_text.size() && isSkipped(m_text[m_pos])) {
            ++m_pos;
        }
        return m_pos < m_text.size() ? m_text[m_pos] : QChar();
    }

    void advance() { ++m_pos; }

    // Consumes a '+' or '-' if one stands next; true for '-'.
    bool takeSign()
    {
        const QChar c = peek();
        if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
            advance();
            return c == QLatin1Char('-');
        }
        return false;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// The value digits × 10^scale, rounded half to even and saturated. The digits carry no
// leading zeros, so their count and the scale tell the magnitude without any arithmetic.
qint16 roundAndSaturate(const std::string &digits, long long scale, bool negative)
{
    constexpr int kMin = std::numeric_limits<qint16>::min();
    constexpr int kMax = std::numeric_limits<qint16>::max();
    if (digits.empty()) {
        return 0;
    }
    const long long wholeDigits = static_cast<long long>(digits.size()) + scale;
    if (wholeDigits > kMaxWholeDigits) {
        return negative ? static_cast<qint16>(kMin) : static_cast<qint16>(kMax);
    }
    int whole = 0;
    for (long long k = 0; k < wholeDigits; ++k) {
        const bool present = k < static_cast<long long>(digits.size());
        whole = whole * kRadix + (present ? digits[static_cast<std::size_t>(k)] - '0' : 0);
    }
    // wholeDigits < 0 puts the first digit two or more places behind the point: below a half.
    bool roundUp = false;
    if (wholeDigits >= 0 && wholeDigits < static_cast<long long>(digits.size())) {
        const std::size_t first = static_cast<std::size_t>(wholeDigits);
        const char lead = digits[first];
        if (lead > '5') {
            roundUp = true;
        } else if (lead == '5') {
            const bool beyondHalf = digits.find_first_not_of('0', first + 1) != std::string::npos;
            roundUp = beyondHalf || (whole % 2 != 0);
        }
    }
    const int magnitude = whole + (roundUp ? 1 : 0);
    const int value = negative ? -magnitude : magnitude;
    if (value < kMin) {
        return static_cast<qint16>(kMin);
    }
    if (value > kMax) {
        return static_cast<qint16>(kMax);
    }
    return static_cast<qint16>(value);
}

} // namespace

qint16 readDecimal(QStringView text)
{
    Cursor cursor(text);
    const bool negative = cursor.takeSign();

    std::string digits;
    long long scale = 0;
    bool anyDigit = false;
    bool inFraction = false;
    for (QChar c = cursor.peek(); isDigit(c) || (c == QLatin1Char('.') && !inFraction);
         c = cursor.peek()) {
        cursor.advance();
        if (c == QLatin1Char('.')) {
            inFraction = true;
            continue;
        }
        anyDigit = true;
        if (inFraction) {
            --scale;
        }
        // Leading zeros carry no magnitude; the scale already counts fraction places.
        if (!digits.empty() || c != QLatin1Char('0')) {
            digits.push_back(static_cast<char>(c.unicode()));
        }
    }
    if (!anyDigit) {
        return 0;
    }

    const QChar marker = cursor.peek();
    if (marker == QLatin1Char('e') || marker == QLatin1Char('E')) {
        cursor.advance();
        const bool negativeExponent = cursor.takeSign();
        long long exponent = 0;
        for (QChar c = cursor.peek(); isDigit(c); c = cursor.peek()) {
            cursor.advance();
            if (exponent < kExponentCap) {
                exponent = exponent * kRadix + (c.unicode() - u'0');
            }
        }
        scale += negativeExponent ? -exponent : exponent;
    }
    return roundAndSaturate(digits, scale, negative);
}

int readHex(QStringView text)
{
    int value = 0;
    for (const QChar c : text) {
        if (isSkipped(c)) {
            continue;
        }
        const int digit = hexValue(c);
        if (digit < 0 || value > kHexLimit) {
            break;
        }
        value = value * kHexRadix + digit;
    }
    return value;
}

} // namespace lenient
