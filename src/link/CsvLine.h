#pragma once
#include <QByteArray>
#include <QStringList>

#include <optional>

namespace kalvex {

// Splits one line into comma-separated fields: a field in double quotes may hold commas
// (a doubled quote inside stands for one quote), blanks around fields are dropped.
QStringList splitCsvLine(const QString& line);

} // namespace kalvex

namespace kalvex {

// Which record of a code text file gives the text when a code appears more than once.
enum class CodeMatch { First, Last };

// The text of `code` in a file of "code,text" records (codes compared without regard to case);
// empty when no record holds it.
std::optional<QString> findCodeText(const QByteArray& file, const QString& code, CodeMatch which);

} // namespace kalvex
