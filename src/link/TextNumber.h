#pragma once
#include <QStringView>

namespace kalvex {

// The leading-number parse: leading blanks skipped, an optional sign, digits with an optional
// decimal point and exponent, read up to the first character that is not part of a number.
// Text without a number gives 0.
double leadingNumber(QStringView text);

// Half-to-even rounding clamped to the 32-bit range.
qint32 roundToInt32(double value);

// leadingNumber rounded half to even into 32 bits: how value texts become integers.
inline qint32 valueOf(QStringView text) {
    return roundToInt32(leadingNumber(text));
}

// True when the text is a whole decimal number (optional blanks and sign around digits).
bool isWholeNumber(QStringView text);

} // namespace kalvex
