#pragma once
#include <QStringList>

namespace kalvex {

// Splits one line into comma-separated fields: a field in double quotes may hold commas
// (a doubled quote inside stands for one quote), blanks around fields are dropped.
QStringList splitCsvLine(const QString& line);

} // namespace kalvex
