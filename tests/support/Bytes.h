#pragma once
#include <QByteArray>

#include <initializer_list>

namespace kalvex::test {

// A byte array from byte values, for comparing bytes on the wire.
inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

} // namespace kalvex::test
