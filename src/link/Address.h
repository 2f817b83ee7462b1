#pragma once
#include <QString>

namespace kalvex {

// A board address string ("W112", "D1100", "F825", "B1016.0", "1F40H") turned into a byte
// address, a width and an optional bit.
struct ParsedAddress {
    QChar type = u'B'; // 'B', 'W' or 'D'
    qint64 byteAddress = 32;
    int bitMask = 1;
    bool bitMode = false;
    // False when the text cannot name a cell: a bit form without a bit digit 0..7 or without
    // a number, or bytes that fall outside 0..65535. Such an address is never sent.
    bool valid = true;

    int byteCount() const { return type == u'D' ? 4 : type == u'W' ? 2 : 1; }
};

ParsedAddress parseAddress(const QString& add);

// A board address as an operator types it: a type letter B, W, D or F with a number and an
// optional bit (.0 to .7), or the hex byte form (1F40H), naming cells inside 0 to 65535.
// parseAddress reads more (any other letter lands on byte 32); only this form is ever sent
// from a command line or a data set.
bool isBoardAddress(const QString& text);

// The message shown when a write names an address that cannot be sent.
QString addressRangeMessage();

// The public address tools of the link.
QString equateAdd(const QString& var, int targetBoardIndex);
bool validAdd(const QString& var, int targetBoardIndex);
qint16 dec2Octal(qint16 decNum);
qint16 octal2Dec(qint16 octNum);

} // namespace kalvex
