#pragma once
#include <QByteArray>
#include <QString>

#include <ostream>

// Readable gtest output for Qt strings and byte arrays.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << b.toHex(' ').toStdString();
}
