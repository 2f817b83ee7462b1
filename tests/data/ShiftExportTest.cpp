#include "data/ShiftExport.h"
#include "data/TagMap.h"

#include <QList>
#include <gtest/gtest.h>

using namespace kalvex;

namespace {

QList<QByteArray> linesOf(const QByteArray& text) {
    EXPECT_TRUE(text.endsWith("\r\n"));
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast();
    for (QByteArray& l : lines) {
        EXPECT_TRUE(l.endsWith('\r'));
        l.chop(1);
    }
    return lines;
}

TEST(ShiftExport, DefaultsWithoutAFile) {
    const QList<QByteArray> lines = linesOf(shiftExportText(defaultDataSet({}), {}, {}));
    ASSERT_EQ(lines.size(), 96);
    EXPECT_EQ(lines[0], "untitled");
    EXPECT_EQ(lines[1], "Date: ");
    EXPECT_EQ(lines.count("0"), 84);
}

TEST(ShiftExport, LinesAndValuesInPlace) {
    SetupData d = defaultDataSet({});
    for (int i = 37; i <= 120; ++i)
        d.Value[size_t(i)] = i * 1000;
    d.Value[42] = -42;
    d.Value[120] = 2147483647;
    const QList<QByteArray> lines = linesOf(
        shiftExportText(d, QStringLiteral("shift.sdt"), QStringLiteral("1/2/2024 3:04:05")));
    ASSERT_EQ(lines.size(), 96);
    const QByteArray totals =
        "(Good Can, Total Blow-off, Misloads, Manual Blow-offs, QC Blow-offs, Restart Blow-off)";
    const std::pair<int, QByteArray> fixed[] = {
        {1, "shift.sdt"},
        {2, "Date: 1/2/2024 3:04:05"},
        {3, " "},
        {4, "Current Shift Data:"},
        {5, totals},
        {6, "37000"},
        {11, "-42"},
        {12, " "},
        {13, "Current Shift Trips per Spindle:"},
        {14, "43000"},
        {49, "78000"},
        {50, " "},
        {51, "Last Shift Data:"},
        {52, totals},
        {53, "79000"},
        {58, "84000"},
        {59, " "},
        {60, "Last Shift Trips per Spindle"},
        {61, "85000"},
        {96, "2147483647"},
    };
    for (const auto& [line, content] : fixed)
        EXPECT_EQ(lines[line - 1], content) << "line " << line;
}

} // namespace
