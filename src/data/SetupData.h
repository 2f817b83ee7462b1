#pragma once
#include <QString>

#include <vector>

namespace kalvex {

// One whole data set: the version text of the program that made it and, per item, a board
// address and its value. Plain value type: copies never share their arrays.
struct SetupData {
    QString Version;
    std::vector<QString> Address;
    std::vector<qint32> Value;

    friend bool operator==(const SetupData&, const SetupData&) = default;
};

} // namespace kalvex
