#pragma once
#include <QByteArray>
#include <QString>

#include <vector>

namespace kalvex {

// One data record of a program .hex file as the download sends it.
struct HexRecord {
    int line = 0; // 1-based line in the file
    quint16 address = 0;
    QByteArray data;
};

// A whole .hex file read and checked before anything is sent to the board.
struct HexFile {
    enum class Status { Ok, Missing, Empty, Unreadable, Invalid };
    Status status = Status::Missing;
    std::vector<HexRecord> records;
    QString why; // the reason for Unreadable and Invalid, naming the line
};

// Far above the text of a 64 KiB image in any record size; larger files are refused unread.
inline constexpr qint64 kMaxHexFileBytes = 8 * 1024 * 1024;

// Checks every line: ":" first, hexadecimal digits only, the length its LL says (with or
// without the record checksum, which must then be right), LL below 0xFF (the attention byte),
// address + LL within 64 KiB, no extended-address records, and at least one data record.
// Lines with LL = 0, end records and start-address records carry no memory and are left out.
HexFile parseHexText(const QByteArray& text);
HexFile readHexFile(const QString& path);

// The .hex text of an uploaded image: ":10" address "00" and 32 digits per 16 bytes, no record
// checksum, CR LF after each line, then the end record.
QByteArray uploadHexText(int firstAddress, const QByteArray& image);

} // namespace kalvex
