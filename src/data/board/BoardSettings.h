#pragma once
#include "data/StrayReadBack.h"
#include "data/pages/BlowoffCommands.h"
#include "data/pages/RangeMessage.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace kalvex {

// The board's network addresses and real-time clock, as the Target Board Interface edits them.
struct BoardSetting {
    const char* caption;
    const char* address;
    int min;
    int max;
};
constexpr int kBoardSettingCount = 8;
constexpr int kFirstClockSetting = 2;
const std::array<BoardSetting, kBoardSettingCount>& boardSettings();

// What the window offers for the board type code of the program file.
struct BoardVariant {
    bool coCpuLine = false;     // the "CO-CPU Slot:" line (K2130)
    bool clock = false;         // the time and date rows and their buttons (K2170, Q7610)
    bool secondAddress = false; // the network address 2 row (Q7610)
};
BoardVariant boardVariant(int boardType);

// A board value in a two-digit field: "07"; a value above 99 is shown whole, never cut.
QString twoDigits(qint64 value);

// The writes of Set to Current Time and Set to Current Date for one instant of the PC clock.
std::vector<BoardWrite> clockTimeWrites(const QDateTime& now);
std::vector<BoardWrite> clockDateWrites(const QDateTime& now);

// What the window says when a clock write failed: which, why, and how many went out.
QString clockFailedText(const CheckedWrites& result, const std::vector<BoardWrite>& writes);

// The PC clock as the window shows it: "10 : 20 : 30" and "01 - 05 - 2005".
QString pcTimeText(const QDateTime& now);
QString pcDateText(const QDateTime& now);

// An ISO 8601 date and time ("2005-01-05T10:20:30"; with an offset or "Z" it is taken to local
// time); empty when the text is not one.
std::optional<QDateTime> parseInstant(const QString& text);

} // namespace kalvex
