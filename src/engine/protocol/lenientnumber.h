#pragma once

#include <QStringView>
#include <QtGlobal>

// Number reading as forgiving as the module's replies need: blanks, tabs and line feeds are
// skipped wherever they stand, reading stops at the first character that does not fit, and
// text with nothing readable counts as zero.
namespace lenient {

// A decimal number (sign, digits, point, fraction, exponent), rounded to the nearest whole
// number with halves going to the even neighbour, and held to the signed 16-bit range.
qint16 readDecimal(QStringView text);

// Hexadecimal digits of either case, as many as the text holds; meant for the two digits of
// a byte.
int readHex(QStringView text);

} // namespace lenient
