#pragma once
#include <QDateTime>
#include <QString>

namespace kalvex {

// Date and time in the system's general form (short date, time with seconds), as stamped
// into exports and reports.
QString generalDateText(const QDateTime& when);
inline QString generalDateNow() {
    return generalDateText(QDateTime::currentDateTime());
}

} // namespace kalvex
