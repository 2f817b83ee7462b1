#pragma once
#include <QString>

namespace kalvex {

// Path of `name` inside `dir`, matching an existing entry without regard to letter case
// (a "Support" or "SUPPORT" folder copied from Windows is used as it is). When nothing
// matches, the path with `name` as given.
QString childPath(const QString& dir, const QString& name);

// The support folder under the program folder.
QString supportFolder(const QString& programFolder);

// A file in the support folder ("RSPort.cfg", "FaultErrCodes.txt", ...).
QString supportFile(const QString& programFolder, const QString& fileName);

} // namespace kalvex
