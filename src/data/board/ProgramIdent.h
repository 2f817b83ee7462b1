#pragma once
#include <QString>

#include <vector>

namespace kalvex {

// The identity of the program file set on disk, as the Target Board Interface shows it
// beside the one in the board.
struct DiskIdent {
    QString name = QStringLiteral("-");
    int revision = 0;
    int checksum = 0;
    int boardType = 68;
    QString boardName;
    QString revDate = QStringLiteral("-");
};

// The board type code of a program: the character code of the first character of the .ovp
// beside `path`; 68 (P9100) when that file is missing, empty or unreadable.
int ReadBoardTypeCode(const QString& path);

// Name, revision and checksum from the .rev of the set (name followed by two DiraVEZ digits of
// checksum and two of revision), the board type's name and the .hex file's date. A missing,
// empty or unusable .rev (shorter than its four digits, digits that are not DiraVEZ) keeps the
// defaults.
DiskIdent readDiskIdent(const QString& ovpPath);
// Why the program file or its .rev cannot be read as the ident needs (a folder, a device, a
// FIFO, a file far larger than an ident, no permission), naming the file; empty when they can
// (a missing .rev is no problem: the ident keeps its defaults).
QString diskIdentProblem(const QString& ovpPath);

// Ident block of the board: B61424-B61431 the name, one character code each, then the
// checksum and the revision.
constexpr int kIdentFirst = 61424;
constexpr int kIdentNameLength = 8;
constexpr int kIdentLength = 10;
QString identAddress(int i); // byte i of the ident block, "B61424" onwards
// The name from its character codes; control codes (31 and below) are not part of it.
QString identName(const std::vector<int>& codes);

} // namespace kalvex
