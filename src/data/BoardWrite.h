#pragma once
#include <QString>

namespace kalvex {

// One write to the board, in the order a command sends its writes.
struct BoardWrite {
    QString address;
    QString value;
};

} // namespace kalvex
