#pragma once
#include <QLocale>
#include <QString>

namespace kalvex {

// A counter value text as the Main Display shows it: a whole number with the locale's digit
// grouping ("1234567" -> "1,234,567").
QString groupedCount(QStringView value, const QLocale& locale = QLocale());

// Highest spindle number the machine has: 24, or 36 for more than 24 spindles.
int spindleMax(int spindleCount);

// The spindle number shown when the page goes online, from the board's B2088 text: the
// highest spindle for a larger number, 1 for 0.
QString initialSpindleText(const QString& b2088, int max);

} // namespace kalvex
