#include "data/ShiftExport.h"
#include "data/TagMap.h"

#include <gtest/gtest.h>

using namespace kalvex;

namespace {

// The export as the operator's spreadsheet expects it, line by line.
QByteArray expectedText(const SetupData& d, const char* name, const char* date) {
    const QByteArray totals = "(Good Can, Total Blow-off, Misloads, Manual Blow-offs, "
                              "QC Blow-offs, Restart Blow-off)\r\n";
    const auto values = [&](int first, int last) {
        QByteArray b;
        for (int i = first; i <= last; ++i)
            b += QByteArray::number(d.Value[size_t(i)]) + "\r\n";
        return b;
    };
    return QByteArray(name) + "\r\nDate: " + date + "\r\n \r\nCurrent Shift Data:\r\n" + totals +
           values(37, 42) + " \r\nCurrent Shift Trips per Spindle:\r\n" + values(43, 78) +
           " \r\nLast Shift Data:\r\n" + totals + values(79, 84) +
           " \r\nLast Shift Trips per Spindle\r\n" + values(85, 120);
}

TEST(ShiftExport, LinesAndValuesInPlace) {
    SetupData d = defaultDataSet({});
    EXPECT_EQ(shiftExportText(d, {}, {}), expectedText(d, "untitled", ""));
    for (int i = 37; i <= 120; ++i)
        d.Value[size_t(i)] = i * 1000;
    d.Value[42] = -42;
    d.Value[120] = 2147483647;
    EXPECT_EQ(shiftExportText(d, QStringLiteral("shift.sdt"), QStringLiteral("1/2/2024 3:04:05")),
              expectedText(d, "shift.sdt", "1/2/2024 3:04:05"));
}

} // namespace
