#include "data/program/DiraVez.h"

namespace kalvex {

namespace {

void replaceAll(QString& text, QChar from0, QChar to0) {
    for (int i = 0; i < 6; ++i)
        text.replace(QChar(char16_t(from0.unicode() + i)), QChar(char16_t(to0.unicode() + i)));
}

std::optional<int> digit(QChar c) {
    if (c.unicode() < u'0' || c.unicode() > u'?') return std::nullopt;
    return int(c.unicode() - u'0');
}

} // namespace

QString DiraVez2HEX(QString& diraVez) {
    replaceAll(diraVez, u':', u'A');
    return diraVez;
}

QString HEX2DiraVEZ(QString& hexCode) {
    replaceAll(hexCode, u'A', u':');
    return hexCode;
}

std::optional<int> diraVezByte(QStringView pair) {
    if (pair.size() != 2) return std::nullopt;
    const auto high = digit(pair[0]), low = digit(pair[1]);
    if (!high || !low) return std::nullopt;
    return *high * 16 + *low;
}

QString diraVezPair(int byte) {
    QString hex = QStringLiteral("%1").arg(byte & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    return HEX2DiraVEZ(hex);
}

} // namespace kalvex
