#include "link/Address.h"

#include "link/TextNumber.h"

#include <QRegularExpression>
#include <array>
#include <map>
#include <optional>

namespace kalvex {

namespace {

constexpr qint64 kLastByte = 65535;

// Hex digits read from the start of the text; stops at the first non-hex character.
qint64 leadingHex(QStringView text) {
    qint64 v = 0;
    for (QChar c : text) {
        const qsizetype d = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (d < 0) break;
        v = v * 16 + d;
        if (v > 0xFFFFFFF) break; // far beyond the address space already
    }
    return v;
}

void checkRange(ParsedAddress& p) {
    if (p.byteAddress < 0 || p.byteAddress + p.byteCount() - 1 > kLastByte) p.valid = false;
}

ParsedAddress parseHexForm(QStringView body) {
    ParsedAddress p;
    const qsizetype lowStart = body.size() > 2 ? body.size() - 2 : 0;
    const qint64 low = leadingHex(body.mid(lowStart));
    const qint64 high = lowStart > 0 ? leadingHex(body.left(lowStart)) : 0;
    p.byteAddress = high * 256 + low;
    return p;
}

ParsedAddress parseBitForm(QStringView add) {
    ParsedAddress p;
    p.bitMode = true;
    const QStringView number = add.size() >= 3 ? add.mid(1, add.size() - 3) : QStringView();
    const QChar bit = add.back();
    if (!isWholeNumber(number) || bit < u'0' || bit > u'7') {
        p.valid = false;
        return p;
    }
    p.byteAddress = number.trimmed().toLongLong();
    p.bitMask = 1 << (bit.unicode() - u'0');
    return p;
}

} // namespace

ParsedAddress parseAddress(const QString& add) {
    ParsedAddress p;
    if (add.isEmpty()) {
        return p; // byte 32, like any text without a known letter
    }
    if (add.back() == u'H' || add.back() == u'h') {
        p = parseHexForm(QStringView(add).chopped(1));
    } else if (add.contains(u'.')) {
        p = parseBitForm(add);
    } else {
        const QChar letter = add.front().toUpper();
        const double n = leadingNumber(QStringView(add).mid(1));
        if (letter == u'B' || letter == u'D' || letter == u'W') {
            p.type = letter;
            p.byteAddress = roundToInt32(n);
        } else if (letter == u'F') {
            const qint64 flag = roundToInt32(n);
            p.bitMode = true;
            if (flag < 0) {
                p.valid = false;
            } else {
                p.byteAddress = 32 + flag / 8;
                p.bitMask = 1 << (flag % 8);
            }
        }
    }
    checkRange(p);
    return p;
}

bool isBoardAddress(const QString& text) {
    static const QRegularExpression grammar(
        QStringLiteral(R"(^([BWDF][0-9]{1,5}(\.[0-7])?|[0-9A-F]{1,4}H)$)"),
        QRegularExpression::CaseInsensitiveOption);
    return grammar.match(text).hasMatch() && parseAddress(text).valid;
}

QString addressRangeMessage() {
    return QStringLiteral("Address out of Range (0-65,535).");
}

namespace {

using PointMap = std::map<int, int>;

struct BoardMaps {
    PointMap x, y, i;
};

std::optional<BoardMaps> mapsFor(int board) {
    auto pairs = [](std::initializer_list<std::pair<const int, int>> l) { return PointMap(l); };
    switch (board) {
    case '1':
        return BoardMaps{pairs({{30, 49},
                                {31, 50},
                                {50, 51},
                                {51, 52},
                                {60, 53},
                                {61, 54},
                                {70, 55},
                                {71, 56},
                                {80, 57}}),
                         pairs({{81, 58},
                                {90, 59},
                                {100, 60},
                                {110, 61},
                                {111, 62},
                                {120, 63},
                                {121, 64},
                                {130, 65},
                                {140, 66},
                                {141, 67}}),
                         {}};
    case '2': {
        BoardMaps m;
        for (int s = 0; s <= 15; ++s)
            for (int h = 0; h <= 1; ++h) {
                m.x[10 * s + h] = 160 + 2 * s + h;
                m.y[10 * s + h] = 160 + 2 * s + h;
                m.i[10 * s + h] = 192 + 2 * s + h;
            }
        return m;
    }
    case ':':
        return BoardMaps{pairs({{10, 51}, {11, 52}}), pairs({{0, 49}, {1, 50}}), {}};
    case ';':
    case 'B':
        return BoardMaps{
            pairs({{10, 51}, {11, 52}, {20, 53}, {21, 54}}), pairs({{0, 49}, {1, 50}}), {}};
    case '<':
    case 'A':
        return BoardMaps{
            pairs({{10, 51}, {11, 52}, {20, 53}}), pairs({{0, 49}, {1, 50}, {21, 54}}), {}};
    case '=':
        return BoardMaps{pairs({{0, 49}, {1, 50}, {10, 51}}), pairs({{11, 52}}), {}};
    default:
        return std::nullopt;
    }
}

// The number of an address after its letter; for a bit form, the part before ".n".
qint64 pointNumber(const QString& var) {
    const QString rest = var.mid(1);
    if (var.contains(u'.'))
        return roundToInt32(
            leadingNumber(QStringView(rest).chopped(qMin<qsizetype>(2, rest.size()))));
    return roundToInt32(leadingNumber(rest));
}

} // namespace

QString equateAdd(const QString& var, int targetBoardIndex) {
    if (var.isEmpty()) return var;
    const QChar letter = var.front().toUpper();
    const qint64 number = pointNumber(var);
    const auto maps = mapsFor(targetBoardIndex);
    if (!maps) return var;
    const PointMap* map = letter == u'X'   ? &maps->x
                          : letter == u'Y' ? &maps->y
                          : letter == u'I' ? &maps->i
                                           : nullptr;
    if (!map) return var;
    const auto it = map->find(int(qBound<qint64>(-1, number, 100000LL)));
    if (it == map->end()) return var;
    QString out = QStringLiteral("B%1").arg(it->second);
    if (var.mid(1).contains(u'.')) {
        const int bit = qMin(7, int(leadingNumber(QStringView(var).right(1))));
        out += QStringLiteral(".%1").arg(bit);
    }
    return out;
}

bool validAdd(const QString& var, int board) {
    if (var.isEmpty()) return false;
    const QChar letter = var.front().toUpper();
    const qint64 number = pointNumber(var);
    const QString small = QStringLiteral("134568:;<=AB");
    const bool isSmall = board > 0 && board < 0x10000 && small.contains(QChar(board));
    const bool isLarge = board == '2' || board == 'D';
    qint64 minimum = 0, maximum = 0;
    bool extra = true;
    if (letter == u'B') {
        minimum = 32;
        maximum = isSmall ? 255 : isLarge ? 8275 : 65535;
    } else if (letter == u'W' || letter == u'D') {
        minimum = 32;
        maximum = isSmall ? 254 : isLarge ? 8274 : 65534;
        extra = number % 2 == 0;
    } else if (letter == u'F') {
        maximum = isSmall ? 120 : 991;
    } else if (letter == u'I') {
        if (board == '1' || board == '2')
            maximum = 151;
        else if (QStringLiteral("34568").contains(QChar(board)) && board > 0)
            maximum = 21;
        else
            return false;
        extra = qAbs(number % 10) <= 1;
    } else if (letter == u'X' || letter == u'Y') {
        if (board == '1' || board == '2')
            maximum = 151;
        else if (board == 'D' || board == 0)
            return false;
        else
            maximum = 21;
        extra = qAbs(number % 10) <= 1;
    }
    return minimum <= number && number <= maximum && extra;
}

qint16 dec2Octal(qint16 decNum) {
    return qint16((decNum / 8) * 10 + (decNum & 7));
}

qint16 octal2Dec(qint16 octNum) {
    return qint16((octNum / 10) * 8 + (octNum % 10));
}

} // namespace kalvex
