#include "data/GeneralDate.h"

#include <QLocale>

namespace kalvex {

QString generalDateText(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    // The long time format adds the time zone, which the general form leaves out.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't');
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), timeFormat.trimmed());
}

} // namespace kalvex
