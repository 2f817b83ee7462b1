#pragma once
#include <QString>

#include <optional>

namespace kalvex {

// DiraVEZ: the board's hexadecimal digits, written as the character 48 + value, so A-F
// become ":" ";" "<" "=" ">" "?".

// Replaces the DiraVEZ letters in place by A-F and returns the text.
QString DiraVez2HEX(QString& diraVez);
// Replaces the upper-case letters A-F in place by their DiraVEZ characters and returns the text.
QString HEX2DiraVEZ(QString& hexCode);

// The byte of a pair of DiraVEZ characters, high digit first; empty when either is not one.
std::optional<int> diraVezByte(QStringView pair);
// A byte as a DiraVEZ pair.
QString diraVezPair(int byte);

} // namespace kalvex
